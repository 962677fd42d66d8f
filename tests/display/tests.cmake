# Cell status and the cell, flag and temperature displays.
zmx_add_test_program(display_tests zmx_testwindow tst_celldisplay.cpp)
