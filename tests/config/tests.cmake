# Configuration model, thresholds, bit controls and scope, board selection.
zmx_add_test_program(config_tests zmx_testwindow
  tst_boardselect.cpp tst_configmodel.cpp tst_scope.cpp tst_thresholds.cpp)
