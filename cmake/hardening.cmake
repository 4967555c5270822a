# The exploit mitigations Windows toolchains give every program by default, for the programs
# Vantrel ships and the code built into them:
#   -fstack-protector-strong   a guard value on the stack of every function with an array or a
#                              local whose address is taken, checked on return (/GS)
#   -D_FORTIFY_SOURCE=2        string and memory calls of known buffer sizes checked at run time
#                              (needs optimisation: the windows preset is a Release build)
#   -Wl,--tsaware              TERMINAL_SERVICE_AWARE: on a Remote Desktop server the program gets
#                              no compatibility layer (per-user Windows folder, .ini and
#                              registry mapping) (/TSAWARE)
# mingw-w64's linker already sets DYNAMIC_BASE, NX_COMPAT and HIGH_ENTROPY_VA.
#
#   vantrel_harden(<target>)
#
# For an executable: its own sources get the checks and it is linked TERMINAL_SERVICE_AWARE.
# For a static library: its sources get the checks, and whatever links it gets the stack
# protector's runtime, libssp, which the -static link (cmake/mingw-w64-x86_64.cmake) takes
# from libssp.a, so no DLL ships beside the program. Outside a Windows build it does nothing.
function(vantrel_harden target)
    if(NOT WIN32)
        return()
    endif()
    target_compile_options(${target} PRIVATE -fstack-protector-strong)
    target_compile_definitions(${target} PRIVATE _FORTIFY_SOURCE=2)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "STATIC_LIBRARY")
        target_link_options(${target} INTERFACE -fstack-protector-strong)
    else()
        target_link_options(${target} PRIVATE -fstack-protector-strong -Wl,--tsaware)
    endif()
endfunction()
