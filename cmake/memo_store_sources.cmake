# The memo store with the POSIX file system and iconv, as the native builds
# beside the main one compile it (the benchmarks, the fuzz targets and the
# kill loop's deleter): one list for the three. `src` is the src/ to build.
function(tallynix_memo_store_sources out src)
  set(${out}
    ${src}/core/cp932_forms.cpp
    ${src}/core/memo_encoding.cpp
    ${src}/core/memo_format.cpp
    ${src}/core/memo_store.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../tests/posix/cp932_iconv.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../tests/posix/file_system_posix.cpp
    PARENT_SCOPE)
endfunction()
