# The pure files on Linux: tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, plus libFuzzer targets when clang builds them.
set(sanitize -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(-Wall -Wextra -g)

add_library(spruce_pure STATIC ${pure_sources})
target_include_directories(spruce_pure PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(spruce_pure PRIVATE ${sanitize})

find_package(GTest REQUIRED)
get_property(tests GLOBAL PROPERTY SPRUCE_NATIVE_TESTS)
add_executable(native_tests ${tests})
target_compile_options(native_tests PRIVATE ${sanitize})
target_link_options(native_tests PRIVATE ${sanitize})
target_link_libraries(native_tests PRIVATE spruce_pure GTest::gtest GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(native_tests)

if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  get_property(fuzzers GLOBAL PROPERTY SPRUCE_FUZZ_TARGETS)
  foreach(name ${fuzzers})
    get_property(file GLOBAL PROPERTY SPRUCE_FUZZ_${name})
    add_executable(${name} ${file} ${pure_sources})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    # A bounded run: a few thousand inputs from an empty corpus.
    add_test(NAME fuzz_${name} COMMAND ${name} -runs=20000 -max_len=4096)
  endforeach()
endif()
