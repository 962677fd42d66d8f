# The recording store against SQLite and a throwaway PostgreSQL server; the datalog workbook.
zmx_add_test_program(record_tests zmx_testlogic tst_datalogworkbook.cpp tst_recordpostgres.cpp tst_recordstore.cpp)
