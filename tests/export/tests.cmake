# Workbook export.
zmx_add_test_program(export_tests zmx_testwindow tst_export.cpp)
