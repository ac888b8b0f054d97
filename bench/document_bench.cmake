# Document import against LibreOffice's own conversion.
add_executable(document_bench document_bench.cpp)
target_link_libraries(document_bench PRIVATE larkspan_app)
target_compile_definitions(document_bench PRIVATE LARKSPAN_TEST_DOCUMENTS="${CMAKE_SOURCE_DIR}/tests/documents")
