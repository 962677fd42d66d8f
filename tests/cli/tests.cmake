# zmx7730-cli: its logic and the program itself; the window program's command line.
# The program tests start zmx7730-cli (and zmx7730-sim on a pty).
zmx_add_test_program(cli_tests zmx_testlogic tst_cli.cpp tst_clilogic.cpp tst_clirecordends.cpp tst_clipostgres.cpp tst_commandline.cpp)
add_dependencies(cli_tests zmx7730-cli zmx7730-sim)
