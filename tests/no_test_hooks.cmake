# Fails when the shipped program carries a test hook: fault injection, the
# shutdown intercept, the set-up tables, the window system's test actions or
# the resets the tests use between cases.
# Run by ctest as `cmake -DNM=<nm> -DEXE=<Tresoro.exe> -P no_test_hooks.cmake`.
execute_process(COMMAND ${NM} -C ${EXE} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NM} could not read ${EXE}")
endif()
# A program without a symbol table would pass any search below.
if(NOT symbols MATCHES "plat::ListDir\\(")
  message(FATAL_ERROR "${EXE} has no symbol table to check")
endif()
string(REGEX MATCHALL
       "plat::(InjectFault|InjectHalt|HaltReached|ClearFaults|ResetTestTables|PortableLayer|HeadlessGui|MapDrive|UnmapDrive|User[A-Z][A-Za-z]*|[A-Za-z]+ForTest)\\("
       hooks "${symbols}")
# The resets of the layers above the platform between test cases.
string(REGEX MATCHALL "(core|logs|engine|ui|dialogs)::[A-Za-z]+ForTest\\(" resets "${symbols}")
list(APPEND hooks ${resets})
if(hooks)
  list(REMOVE_DUPLICATES hooks)
  message(FATAL_ERROR "test hooks linked into ${EXE}: ${hooks}")
endif()
message(STATUS "${EXE}: no test hooks")
