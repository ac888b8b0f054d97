pkg_check_modules(POPPLER_QT6 REQUIRED IMPORTED_TARGET poppler-qt6)

add_library(larkspan_print_test_support STATIC print_support.cpp print_support.h)
target_link_libraries(larkspan_print_test_support PUBLIC larkspan_test_support PkgConfig::POPPLER_QT6)

larkspan_add_test(print_tests print_test.cpp)
target_link_libraries(print_tests PRIVATE larkspan_print_test_support)

# Prints through a private CUPS scheduler with a cups-pdf queue (needs root).
add_library(larkspan_private_cups STATIC private_cups.cpp private_cups.h)
target_link_libraries(larkspan_private_cups PUBLIC Qt6::Core)
larkspan_add_test(print_cups_tests print_cups_test.cpp)
target_link_libraries(print_cups_tests PRIVATE larkspan_print_test_support larkspan_private_cups)

# The real program under Xvfb printing to the private scheduler's cups-pdf queue.
larkspan_add_test(e2e_print_tests print_e2e_test.cpp)
target_link_libraries(e2e_print_tests PRIVATE larkspan_print_test_support larkspan_private_cups)

# Both print to the job owner's cups-pdf folder: one at a time.
set_tests_properties(print_cups_tests e2e_print_tests PROPERTIES RESOURCE_LOCK cups_pdf_output)
