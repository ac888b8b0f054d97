larkspan_add_test(import_tests import_test.cpp)
