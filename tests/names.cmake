# Fails when a test's CTest name is not readable: a parameterised case named by
# its index or by a dump of its bytes. Run by CTest as TestNames.AreReadable:
#   cmake -DCTEST=<ctest> -DBUILD=<build directory> -P names.cmake
execute_process(COMMAND ${CTEST} -N --test-dir ${BUILD} OUTPUT_VARIABLE listing
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "ctest -N failed:\n${listing}")
endif()
string(REGEX MATCHALL "Test +#[0-9]+: [^\n]*" tests "${listing}")
set(bad "")
foreach(test IN LISTS tests)
    if(test MATCHES "/[0-9]+$" OR test MATCHES "byte object" OR test MATCHES "GetParam")
        string(APPEND bad "\n  ${test}")
    endif()
endforeach()
list(LENGTH tests count)
if(count LESS 100)
    message(FATAL_ERROR "only ${count} tests listed:\n${listing}")
endif()
if(bad)
    message(FATAL_ERROR "parameterised cases without a readable name (give "
        "INSTANTIATE_TEST_SUITE_P a name generator, e.g. test::namedby):${bad}")
endif()
message(STATUS "${count} test names, all readable")
