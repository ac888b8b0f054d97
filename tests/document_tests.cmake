# Document import: the automation layer, the "Word.Application" server on
# LibreOffice and the page conversion. The documents are made at run time by
# LibreOffice from the flat ODT sources in documents/.
larkspan_add_test(document_tests document_test.cpp)
target_link_libraries(document_tests PRIVATE larkspan_import)
target_compile_definitions(document_tests PRIVATE LARKSPAN_TEST_DOCUMENTS="${CMAKE_CURRENT_SOURCE_DIR}/documents")
set_tests_properties(document_tests PROPERTIES TIMEOUT 600)

# A person imports a .docx into the real program under Xvfb.
larkspan_add_test(document_e2e_tests document_e2e_test.cpp)
target_link_libraries(document_e2e_tests PRIVATE larkspan_import)
target_compile_definitions(document_e2e_tests PRIVATE LARKSPAN_TEST_DOCUMENTS="${CMAKE_CURRENT_SOURCE_DIR}/documents")
