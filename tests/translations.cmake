# Runs lupdate over the sources and fails when it reports a text it cannot take (a tr() outside
# a translatable class, say) or when fewer texts reach the template than the program shows.
file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
execute_process(COMMAND ${LUPDATE} -locations none -no-obsolete ${SOURCES} -ts ${OUTPUT}/vadro.ts
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "lupdate failed (${result}): ${err}")
endif()
if(err MATCHES "[Ww]arning|[Cc]annot|lacks|Qualifying")
  message(FATAL_ERROR "lupdate complained:\n${err}")
endif()
file(READ ${OUTPUT}/vadro.ts template)
string(REGEX MATCHALL "<message>" messages "${template}")
list(LENGTH messages count)
message(STATUS "${count} texts in the translation template")
if(count LESS 200)
  message(FATAL_ERROR "only ${count} texts reach the translation template")
endif()
