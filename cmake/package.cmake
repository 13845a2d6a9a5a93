# The release package: build/Spruce-<version>.zip with the shipped programs,
# "version.dat" (the version, no line end) and "읽어보기.txt" (CP949, CR LF),
# and the setup program Spruce-<version>-setup.exe that installs the same
# files (target `setup`, made with NSIS from resources/setup/spruce.nsi).
# scripts/release.sh builds the shipped targets and the setup, and runs CPack.
set(package_dir ${CMAKE_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${package_dir})
file(WRITE ${package_dir}/version.dat "${PROJECT_VERSION}")

# The read-me is kept in UTF-8 with LF in the source tree; Windows 95 users'
# Notepad wants the ANSI code page and CR LF.
set(readme_source ${CMAKE_SOURCE_DIR}/resources/package/읽어보기.txt)
file(READ ${readme_source} readme)
string(REPLACE "\r\n" "\n" readme "${readme}")
string(REPLACE "\n" "\r\n" readme "${readme}")
file(WRITE ${package_dir}/readme-utf8.txt "${readme}")
execute_process(
  COMMAND iconv -f UTF-8 -t CP949 ${package_dir}/readme-utf8.txt
  OUTPUT_FILE ${package_dir}/읽어보기.txt
  RESULT_VARIABLE iconv_result)
if(NOT iconv_result EQUAL 0)
  message(FATAL_ERROR "읽어보기.txt could not be converted to CP949")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${readme_source})

# What a user gets, by name: other programs and DLLs of the build (test
# helpers among them) stay out.
set(shipped)
foreach(name ${SPRUCE_SHIPPED_NAMES})
  if(TARGET ${name})
    list(APPEND shipped ${name})
    install(TARGETS ${name} RUNTIME DESTINATION .)
  endif()
endforeach()
add_custom_target(shipped DEPENDS ${shipped})
install(FILES ${package_dir}/version.dat ${package_dir}/읽어보기.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Spruce)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Spruce-${PROJECT_VERSION})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)

# The setup program holds exactly the files of the zip. Only the shipping
# build makes it: the tested build's programs are neither stripped nor loadable
# on Windows 95 to XP.
if(shipping_build)
  find_program(SPRUCE_MAKENSIS makensis REQUIRED)
  set(setup_script ${CMAKE_SOURCE_DIR}/resources/setup/spruce.nsi)
  set(setup_file ${CMAKE_BINARY_DIR}/Spruce-${PROJECT_VERSION}-setup.exe)
  add_custom_command(OUTPUT ${setup_file}
    COMMAND ${SPRUCE_MAKENSIS} -V2 -WX -INPUTCHARSET UTF8
            -DVERSION=${PROJECT_VERSION} -DBIN=${CMAKE_BINARY_DIR}/bin -DPACKAGE=${package_dir}
            -DICON=${CMAKE_SOURCE_DIR}/resources/art/icon128.ico -DOUTFILE=${setup_file}
            ${setup_script}
    DEPENDS ${shipped} ${setup_script} ${package_dir}/version.dat ${package_dir}/읽어보기.txt
            ${CMAKE_SOURCE_DIR}/resources/art/icon128.ico
    VERBATIM)
  add_custom_target(setup DEPENDS ${setup_file})
endif()
