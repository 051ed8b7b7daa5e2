# cmake -DCLI=pellkit-cli -DOUTPUT=pellkit-cli.1 -DVERSION=x.y.z -DHOME_DIR=DIR -P ManPage.cmake
# Writes the manual page of pellkit-cli from its own help texts, so that the
# two never disagree. Every command's help ends with the same epilogue
# (exit status, port, files); the page gives it once.

foreach(var CLI OUTPUT VERSION HOME_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "ManPage.cmake: ${var} is not set")
  endif()
endforeach()

# An empty home: the builder's own settings and spool stay out of the page.
# (A sanitizer build's leak report at exit is no fault of the help.)
file(MAKE_DIRECTORY ${HOME_DIR})
function(cli_help out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env HOME=${HOME_DIR} XDG_CONFIG_HOME=${HOME_DIR}/config
            XDG_DATA_HOME=${HOME_DIR}/data LC_ALL=C.UTF-8 PELLKIT_HELP_WIDTH=100000 ASAN_OPTIONS=detect_leaks=0 ${CLI} ${ARGN} --help
    OUTPUT_VARIABLE text
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${CLI} ${ARGN} --help failed (${rc})")
  endif()
  protect(text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# CMake lists split on ';' and hold '[' ']' apart; the help is split into
# lines, so these go into placeholders first and come back in roff().
function(protect out text)
  string(REPLACE ";" "@SEMI@" text "${text}")
  string(REPLACE "[" "@LB@" text "${text}")
  string(REPLACE "]" "@RB@" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Text as roff: backslashes and hyphens escaped, no line taken for a request.
function(roff out text)
  string(REPLACE "@SEMI@" ";" text "${text}")
  string(REPLACE "@LB@" "[" text "${text}")
  string(REPLACE "@RB@" "]" text "${text}")
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

cli_help(main)
string(FIND "${main}" "\nCommands:\n" commands_at)
string(FIND "${main}" "\nExit status:\n" epilogue_at)
if(commands_at LESS 0 OR epilogue_at LESS 0)
  message(FATAL_ERROR "unexpected layout of 'pellkit-cli --help'")
endif()
string(SUBSTRING "${main}" 0 ${commands_at} head)
math(EXPR list_at "${commands_at} + 11")
math(EXPR list_length "${epilogue_at} - ${list_at}")
string(SUBSTRING "${main}" ${list_at} ${list_length} command_list)
math(EXPR epilogue_start "${epilogue_at} + 1")
string(SUBSTRING "${main}" ${epilogue_start} -1 epilogue)

# The description: the lines after "Usage: ...".
string(FIND "${head}" "\n" usage_end)
math(EXPR usage_end "${usage_end} + 1")
string(SUBSTRING "${head}" ${usage_end} -1 description)
string(STRIP "${description}" description)
roff(description "${description}")

set(page ".TH PELLKIT\\-CLI 1 \"\" \"Pellkit ${VERSION}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\npellkit\\-cli \\- empty a Vexa and store its tachograph downloads, from scripts\n")
string(APPEND page ".SH SYNOPSIS\n.B pellkit\\-cli\n.I COMMAND\n.RI [ options ]\n.br\n")
string(APPEND page ".B pellkit\\-cli\n.RB [ \\-\\-help | \\-\\-version ]\n")
string(APPEND page ".SH DESCRIPTION\n${description}\n")
string(APPEND page ".SH COMMANDS\n")

string(REPLACE "\n" ";" lines "${command_list}")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^  ([a-z-]+) +(.*)$")
    continue()
  endif()
  set(name ${CMAKE_MATCH_1})
  cli_help(help ${name})
  string(FIND "${help}" "\nExit status:\n" cut)
  if(cut GREATER_EQUAL 0)
    string(SUBSTRING "${help}" 0 ${cut} help)
  endif()
  # "Usage: ..." line, the description (filled), then the option table as it is.
  string(STRIP "${help}" help)
  string(FIND "${help}" "\n" usage_end)
  string(SUBSTRING "${help}" 0 ${usage_end} usage)
  string(REPLACE "Usage: " "" usage "${usage}")
  string(FIND "${help}" "\n\nOptions:\n" table_at)
  if(table_at LESS 0)
    message(FATAL_ERROR "unexpected layout of 'pellkit-cli ${name} --help'")
  endif()
  math(EXPR text_at "${usage_end} + 1")
  math(EXPR text_length "${table_at} - ${text_at}")
  string(SUBSTRING "${help}" ${text_at} ${text_length} text)
  math(EXPR table_at "${table_at} + 2")
  string(SUBSTRING "${help}" ${table_at} -1 table)
  roff(usage "${usage}")
  roff(text "${text}")
  string(REPLACE "\n" "\n.br\n" text "${text}")
  roff(table "${table}")
  string(APPEND page ".SS ${name}\n.B ${usage}\n.PP\n${text}\n.PP\n.nf\n${table}\n.fi\n")
endforeach()

# "Heading:" lines open the sections of the epilogue.
string(REPLACE "\n" ";" lines "${epilogue}")
set(section "")
foreach(line IN LISTS lines)
  if(line MATCHES "^([A-Z][a-z ]+):$")
    if(section)
      string(APPEND page ".fi\n")
    endif()
    set(section "${CMAKE_MATCH_1}")
    string(TOUPPER "${section}" title)
    string(APPEND page ".SH ${title}\n.nf\n")
  elseif(section AND NOT line STREQUAL "")
    roff(text "${line}")
    string(APPEND page "${text}\n")
  endif()
endforeach()
if(section)
  string(APPEND page ".fi\n")
endif()

file(WRITE ${OUTPUT} "${page}")
