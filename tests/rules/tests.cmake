# The rules without the window: cell status, the transfer monitor's texts, keep-alive,
# self-test patterns, the continuous sequence, datalog stamps and the read indicators.
zmx_add_test_program(rules_tests zmx_testlogic
  tst_cellstatus.cpp tst_continuoussequence.cpp tst_datalogstamp.cpp tst_keepalive.cpp tst_monitorview.cpp
  tst_readindicatorlogic.cpp tst_selftestpatterns.cpp)
