# Compiler warnings for every target of the project: vellumo_warnings(<target>).
function(vellumo_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
           AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
            # GCC 12 reports -Wrestrict for `"text" + std::string` once inlined at -O2 (a false
            # positive inside libstdc++'s own string code).
            target_compile_options(${target} PRIVATE -Wno-restrict)
        endif()
        if(VELLUMO_WARNINGS_AS_ERRORS)
            target_compile_options(${target} PRIVATE -Werror)
        endif()
    endif()
endfunction()
