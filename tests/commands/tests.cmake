# Configuration write and read, start and poll commands, cell, flag and temperature reads.
zmx_add_test_program(commands_tests zmx_testwindow
  tst_readcells.cpp tst_readflagstemps.cpp tst_startpoll.cpp tst_writeconfig.cpp)
