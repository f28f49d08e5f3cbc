# The Windows ZIP (cpack -G ZIP in the windows build): vela-cli.exe with the
# Japanese library beside it, where the program looks for it, and the
# README's command-line section as text.
install(TARGETS vela-cli RUNTIME DESTINATION .)
install(TARGETS VELA_jpn RUNTIME DESTINATION . LIBRARY DESTINATION .)

file(READ ${CMAKE_SOURCE_DIR}/README.md VELA_README)
string(FIND "${VELA_README}" "\n## vela-cli\n" VELA_CLI_START)
if(VELA_CLI_START LESS 0)
  message(FATAL_ERROR "README.md has no \"## vela-cli\" section for the Windows ZIP")
endif()
math(EXPR VELA_CLI_START "${VELA_CLI_START} + 1")
string(SUBSTRING "${VELA_README}" ${VELA_CLI_START} -1 VELA_CLI_TEXT)
string(FIND "${VELA_CLI_TEXT}" "\n## " VELA_CLI_END)
if(VELA_CLI_END GREATER 0)
  string(SUBSTRING "${VELA_CLI_TEXT}" 0 ${VELA_CLI_END} VELA_CLI_TEXT)
endif()
# Notepad on older Windows wants CRLF.
string(REPLACE "\n" "\r\n" VELA_CLI_TEXT "${VELA_CLI_TEXT}\n")
file(WRITE ${CMAKE_BINARY_DIR}/README-vela-cli.txt "${VELA_CLI_TEXT}")
install(FILES ${CMAKE_BINARY_DIR}/README-vela-cli.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vela-cli)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win64)
set(CPACK_STRIP_FILES ON)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
