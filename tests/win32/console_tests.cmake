# The console typist: a helper of the Windows end-to-end tests that runs the
# program in a console of its own and types keys into it.
add_executable(cuestrip_console_typist ${CMAKE_CURRENT_LIST_DIR}/typist/ConsoleTypist.cpp)
set_target_properties(cuestrip_console_typist PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
