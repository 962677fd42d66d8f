# Controller texts and frames, PEC, hex helpers and the decoding of read replies.
zmx_add_test_program(protocol_tests zmx_testlogic tst_frames.cpp tst_pec.cpp tst_readdecode.cpp)
