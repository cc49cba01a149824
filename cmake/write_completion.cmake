# Writes the completion scripts the built tool prints:
#   cmake -DOTAWRAP=path/to/otawrap -DDIRECTORY=dir -P write_completion.cmake
# gives DIRECTORY/otawrap (bash) and DIRECTORY/_otawrap (zsh).
file(MAKE_DIRECTORY "${DIRECTORY}")
foreach(shell IN ITEMS bash zsh)
  if(shell STREQUAL "bash")
    set(name otawrap)
  else()
    set(name _otawrap)
  endif()
  execute_process(COMMAND "${OTAWRAP}" completion ${shell}
                  OUTPUT_FILE "${DIRECTORY}/${name}.new" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "otawrap completion ${shell} failed: ${result}")
  endif()
  file(RENAME "${DIRECTORY}/${name}.new" "${DIRECTORY}/${name}")
endforeach()
