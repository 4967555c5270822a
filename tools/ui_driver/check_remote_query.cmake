# Fails unless the routine UiDriverRemoteQuery in EXE can run where the driver copies it: its end
# marker UiDriverRemoteQueryEnd must follow it, and the bytes between them must hold no
# RIP-relative operand (a constant or global left behind) and no direct call (a helper left
# behind). Usage: cmake -DEXE=ui_driver.exe -DNM=<nm> -DOBJDUMP=<objdump> -P check_remote_query.cmake
execute_process(COMMAND ${NM} ${EXE} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCH "([0-9a-f]+) [Tt] UiDriverRemoteQuery\n" found "${symbols}")
set(start ${CMAKE_MATCH_1})
string(REGEX MATCH "([0-9a-f]+) [Tt] UiDriverRemoteQueryEnd\n" found "${symbols}")
set(end ${CMAKE_MATCH_1})
if(NOT start OR NOT end)
    message(FATAL_ERROR "UiDriverRemoteQuery or UiDriverRemoteQueryEnd is missing from ${EXE}")
endif()
# Same-width hex strings compare as numbers.
if(NOT end STRGREATER start)
    message(FATAL_ERROR "UiDriverRemoteQueryEnd (0x${end}) does not follow UiDriverRemoteQuery (0x${start})")
endif()
execute_process(COMMAND ${OBJDUMP} -d ${EXE} --start-address=0x${start} --stop-address=0x${end}
    OUTPUT_VARIABLE code COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[^\n]*(rip|call +[0-9a-f])[^\n]*" outside "${code}")
if(outside)
    list(JOIN outside "\n" lines)
    message(FATAL_ERROR "UiDriverRemoteQuery reaches outside its own bytes:\n${lines}")
endif()
string(REGEX MATCHALL "\n +[0-9a-f]+:\t" instructions "${code}")
list(LENGTH instructions count)
if(count EQUAL 0)
    message(FATAL_ERROR "objdump shows no instruction of UiDriverRemoteQuery")
endif()
message(STATUS "UiDriverRemoteQuery: ${count} instructions, all within its own bytes")
