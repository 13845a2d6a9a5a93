# The version file's signature check: SHA-256, RSA verification, the key file
# reader (all pure, tested and fuzzed natively) and the public key compiled
# into both programs.
spruce_pure(sha256.cpp rsa_verify.cpp public_key_file.cpp manifest_signature.cpp)
spruce_native_test(sha256_test.cpp signature_test.cpp)
spruce_fuzz(public_key_fuzz public_key_fuzz.cpp)
spruce_fuzz(rsa_verify_fuzz rsa_verify_fuzz.cpp)

# Which public key the programs carry: the publisher's for a release, named
# by the cache variable SPRUCE_UPDATE_PUBKEY or else the environment variable
# of that name (a PEM "PUBLIC KEY" file); without either, the throwaway test
# key of build/keys, made by scripts/make-update-key.sh when missing, whose
# private half test servers and the demo's site server sign with.
set(SPRUCE_UPDATE_PUBKEY "" CACHE FILEPATH
    "The publisher's RSA public key (PEM); empty: $ENV{SPRUCE_UPDATE_PUBKEY} or the test key")
option(SPRUCE_REQUIRE_PUBLISHER_KEY
       "Refuse to configure unless SPRUCE_UPDATE_PUBKEY names the publisher's key" OFF)
set(SPRUCE_TEST_KEY_DIR ${CMAKE_SOURCE_DIR}/build/keys CACHE PATH
    "Where the throwaway update-signing key pair is kept")

set(key_file "${SPRUCE_UPDATE_PUBKEY}")
if(NOT key_file)
  set(key_file "$ENV{SPRUCE_UPDATE_PUBKEY}")
endif()
if(key_file)
  get_filename_component(key_file "${key_file}" ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
  if(NOT EXISTS "${key_file}")
    message(FATAL_ERROR "SPRUCE_UPDATE_PUBKEY: no such file: ${key_file}")
  endif()
  set(test_private_key "")
  message(STATUS "Update signatures: the publisher's key ${key_file}")
else()
  if(SPRUCE_REQUIRE_PUBLISHER_KEY)
    message(FATAL_ERROR "SPRUCE_REQUIRE_PUBLISHER_KEY is on but SPRUCE_UPDATE_PUBKEY names no key")
  endif()
  set(key_file ${SPRUCE_TEST_KEY_DIR}/update-test.pub.pem)
  set(test_private_key ${SPRUCE_TEST_KEY_DIR}/update-test.pem)
  if(NOT EXISTS "${key_file}" OR NOT EXISTS "${test_private_key}")
    execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-update-key.sh ${SPRUCE_TEST_KEY_DIR}
                    RESULT_VARIABLE made)
    if(NOT made EQUAL 0)
      message(FATAL_ERROR "could not make the test key pair in ${SPRUCE_TEST_KEY_DIR}")
    endif()
  endif()
  if(SPRUCE_THREADS STREQUAL "win32")
    # The shipped programs with the test key accept only what this machine signs.
    message(WARNING "The shipped programs carry the throwaway test key ${key_file}: "
                    "set SPRUCE_UPDATE_PUBKEY to the publisher's public key for a release")
  else()
    message(STATUS "Update signatures: the throwaway test key ${key_file}")
  endif()
endif()

# A key the programs would refuse would make every update fail later: refuse
# it now, while openssl can say what it is.
find_program(SPRUCE_OPENSSL openssl)
if(SPRUCE_OPENSSL)
  execute_process(COMMAND ${SPRUCE_OPENSSL} pkey -pubin -in ${key_file} -noout -text
                  OUTPUT_VARIABLE key_text ERROR_VARIABLE key_error RESULT_VARIABLE key_result)
  string(REGEX MATCH "Public-Key: \\(([0-9]+) bit\\)" bits_match "${key_text}")
  set(key_bits "${CMAKE_MATCH_1}")
  if(NOT key_result EQUAL 0 OR NOT bits_match OR key_bits LESS 2048 OR key_bits GREATER 8192
     OR NOT key_text MATCHES "\nExponent: 65537 ")
    message(FATAL_ERROR "${key_file} is not an RSA public key of 2048 to 8192 bits with "
                        "exponent 65537 in a PEM \"PUBLIC KEY\" block ${key_error}")
  endif()
endif()

# The PEM text goes into the programs byte for byte; a changed key file
# configures the build again.
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${key_file})
file(READ ${key_file} key_hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," key_bytes "${key_hex}")
string(REPEAT "0x..," 16 sixteen_bytes)
string(REGEX REPLACE "(${sixteen_bytes})" "\\1\n" SPRUCE_KEY_BYTES "${key_bytes}")
get_filename_component(SPRUCE_KEY_NAME ${key_file} NAME)
configure_file(publisher_key.cpp.in ${CMAKE_BINARY_DIR}/generated/publisher_key.cpp @ONLY)
spruce_pure(${CMAKE_BINARY_DIR}/generated/publisher_key.cpp)

# A version file signed with the test key beside the Windows test programs
# (bin/signature-fixture), so that the check is also proven on the target.
if(test_private_key AND SPRUCE_OPENSSL)
  set(fixture ${CMAKE_BINARY_DIR}/bin/signature-fixture)
  file(MAKE_DIRECTORY ${fixture})
  file(WRITE ${fixture}/version.dat.new "Version: 1.0.1\r\nFilename: Spruce.exe 1234567\r\n")
  file(COPY_FILE ${fixture}/version.dat.new ${fixture}/version.dat ONLY_IF_DIFFERENT)
  file(REMOVE ${fixture}/version.dat.new)
  if(NOT EXISTS ${fixture}/version.sig OR ${test_private_key} IS_NEWER_THAN ${fixture}/version.sig
     OR ${fixture}/version.dat IS_NEWER_THAN ${fixture}/version.sig)
    execute_process(COMMAND ${SPRUCE_OPENSSL} dgst -sha256 -sign ${test_private_key}
                            -out ${fixture}/version.sig ${fixture}/version.dat
                    RESULT_VARIABLE signed)
    if(NOT signed EQUAL 0)
      message(FATAL_ERROR "could not sign the test version file with ${test_private_key}")
    endif()
  endif()
endif()
spruce_win_test(upgrade_tests signature_win_test.cpp)

# The native tests, and the test site server that the Windows tests start,
# sign with the test key's private half when the build carries the test key.
set_source_files_properties(signature_test.cpp testing/scripted_site.cpp DIRECTORY ${CMAKE_SOURCE_DIR}
                            PROPERTIES COMPILE_DEFINITIONS "SPRUCE_TEST_PRIVATE_KEY=\"${test_private_key}\"")

# The native builds are unoptimized (Debug), and the fuzzers trace every
# comparison: one 2048-bit verification took 4 ms there, 70% of it in the
# tracing of the limb loops' counters. The arithmetic is optimized and its
# comparisons untraced (sanitizers and edge coverage still on), so the
# bounded fuzzing runs stay short.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set_source_files_properties(rsa_verify.cpp sha256.cpp DIRECTORY ${CMAKE_SOURCE_DIR} PROPERTIES
                              COMPILE_OPTIONS "-O2;-fno-sanitize-coverage=trace-cmp")
endif()
