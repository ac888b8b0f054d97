larkspan_add_test(about_tests about_test.cpp)
larkspan_add_test(e2e_about_tests e2e_about_test.cpp)
larkspan_add_test(install_tests install_test.cpp)
target_compile_definitions(install_tests PRIVATE
  LARKSPAN_BUILD_DIR="${PROJECT_BINARY_DIR}" CMAKE_COMMAND_PATH="${CMAKE_COMMAND}")
add_dependencies(install_tests larkspan_menu_icons)
