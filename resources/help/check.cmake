# Checks the help's sources: every page is in the project, in the contents and in the build's
# list of pages, and the Japanese pages read well in a viewer that breaks lines only at ASCII
# spaces (xchm does): no such space beside Japanese text, and no stretch without one wider than
# the page at the viewer's default size.
# Usage: cmake -Ddir=<resources/help> -Dpages="index.html;..." -Denglish=english.html -P check.cmake
cmake_minimum_required(VERSION 3.22)
set(widest 52) # in half-width characters; a Japanese character counts two

# Text encoded as UTF-8 is told apart by its bytes: 0x80-0xBF continue a character, 0xC0-0xFF
# begin one.
string(ASCII 128 continuing)
string(ASCII 191 lastContinuing)
string(ASCII 192 leading)
string(ASCII 255 lastLeading)
set(multibyte "[${continuing}-${lastContinuing}${leading}-${lastLeading}]")

set(failures "")
macro(fail text)
    string(APPEND failures "  ${text}\n")
endmacro()

file(STRINGS "${dir}/QvHelp.hhp" project)
file(READ "${dir}/contents.hhc" contents)
foreach(page IN LISTS pages)
    if(NOT "${page}" IN_LIST project)
        fail("${page} is missing from the [FILES] of QvHelp.hhp")
    endif()
    if(NOT contents MATCHES "<param name=\"Local\" value=\"${page}\">")
        fail("${page} is not linked from contents.hhc")
    endif()
endforeach()
foreach(line IN LISTS project)
    if(line MATCHES "^[^=]+\\.html$" AND NOT line IN_LIST pages)
        fail("${line} is in QvHelp.hhp but not among the pages that CMakeLists.txt composes")
    endif()
endforeach()

foreach(page IN LISTS pages)
    if(page STREQUAL english)
        continue()
    endif()
    file(READ "${dir}/${page}" text)
    # What the viewer shows: block tags and <br> end a line, with the white space around them;
    # any other line end is a space; other tags go, and entities are one character.
    string(REGEX REPLACE "<!--[^>]*-->" "" text "${text}")
    string(REGEX REPLACE "[ \n]*<(br|/?p|/?li|/?ul|/?ol|/?tr|/?td|/?th|/?h[12]|/?table)>[ \n]*"
        "\r" text "${text}")
    string(REPLACE "\n" " " text "${text}")
    string(REPLACE "\r" "\n" text "${text}")
    string(REGEX REPLACE "<[^>]*>" "" text "${text}")
    string(REGEX REPLACE "&[a-z]+;" "_" text "${text}")
    # Lines in a list of CMake are separated by semicolons.
    string(REPLACE ";" "_" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    foreach(line IN LISTS lines)
        if(line MATCHES "${multibyte} | ${multibyte}")
            fail("${page}: an ASCII space beside Japanese text: \"${line}\"")
        endif()
        string(REPLACE " " ";" words "${line}")
        foreach(word IN LISTS words)
            string(REGEX REPLACE "[${continuing}-${lastContinuing}]" "" characters "${word}")
            string(REGEX REPLACE "[^${leading}-${lastLeading}]" "" wide "${characters}")
            string(LENGTH "${characters}" count)
            string(LENGTH "${wide}" wideCount)
            math(EXPR width "${count} + ${wideCount}")
            if(width GREATER widest)
                fail("${page}: ${width} half-width characters without a break: \"${word}\"")
            endif()
        endforeach()
    endforeach()
endforeach()

if(failures)
    message(FATAL_ERROR "The help's sources:\n${failures}")
endif()
