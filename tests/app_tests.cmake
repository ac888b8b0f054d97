larkspan_add_test(about_tests about_test.cpp)
