# quarvex_build_win32_library(LABEL SCRIPT DIR [ARGS...]): runs
# tools/SCRIPT DIR <toolchain file> ARGS... at configure time, which builds a
# static library of the Win32 build from Debian's source package into DIR
# once per build folder; a failure stops the configure, so a broken library
# never reaches the link step. LABEL names it in the message.
function(quarvex_build_win32_library label script dir)
    execute_process(
        COMMAND bash "${CMAKE_SOURCE_DIR}/tools/${script}" "${dir}" "${CMAKE_TOOLCHAIN_FILE}" ${ARGN}
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "Building the Win32 ${label} failed (see above)")
    endif()
endfunction()
