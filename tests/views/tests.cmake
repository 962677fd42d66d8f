# The stack view: history, its window, the Record menu.
# The Record menu test starts the window program with --record and --stack-view.
zmx_add_test_program(views_tests zmx_testlogic tst_stackhistory.cpp tst_trenddescription.cpp tst_viewplacement.cpp)
zmx_add_test_program(views_window_tests zmx_testwindow tst_recordmenu.cpp tst_stackview.cpp)
add_dependencies(views_window_tests zmx7730-gui)
