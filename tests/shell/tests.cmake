# Command line, start-up, the window inventory and its painting.
zmx_add_test_program(shell_tests zmx_testwindow tst_inventory.cpp tst_startup.cpp tst_widgetpaint.cpp tst_windowtrace.cpp)
