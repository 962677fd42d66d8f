# Command panel, continuous mode, keep-alive, self tests and the read indicators.
zmx_add_test_program(modes_tests zmx_testwindow
  tst_commandpanel.cpp tst_continuousmode.cpp tst_faultruns.cpp tst_panelwiring.cpp tst_readindicator.cpp
  tst_selftest.cpp tst_watchdogservice.cpp)
