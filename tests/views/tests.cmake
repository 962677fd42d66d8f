# The stack view: history, its window, the Record menu.
# The Record menu test starts the window program with --record and --stack-view.
zmx_add_test_program(views_tests zmx_testlogic tst_stackhistory.cpp tst_trenddescription.cpp tst_viewplacement.cpp)
zmx_add_test_program(views_window_tests zmx_testwindow tst_recordmenu.cpp tst_stackview.cpp)
add_dependencies(views_window_tests zmx7730-gui)
# A screen reader's view of the trend chart: the window program under a virtual X server with
# the AT-SPI bridge on, read by python3-pyatspi (scripts/deps installs both).
add_test(NAME atspi_trend COMMAND ${CMAKE_CURRENT_LIST_DIR}/atspi_trend.sh $<TARGET_FILE:zmx7730-gui>)
set_tests_properties(atspi_trend PROPERTIES TIMEOUT 200)
