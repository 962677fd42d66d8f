# The simulated controller and chip stack.
zmx_add_test_program(sim_tests zmx_testlogic tst_controllertexts.cpp tst_simlink.cpp tst_simstack.cpp tst_simwire.cpp)
