# Corrects the Turtle that JUCE 7's LV2 helper writes, so the bundle passes
# lv2_validate: each fix is a no-op where the generated text is already right.
#   cmake -DBUNDLE=<path/to/TORKA.lv2> -P TidyLv2Turtle.cmake

if(NOT IS_DIRECTORY "${BUNDLE}")
    message(FATAL_ERROR "no LV2 bundle at '${BUNDLE}'")
endif()

function(tidy file)
    set(path "${BUNDLE}/${file}")
    if(NOT EXISTS "${path}")
        return()
    endif()
    file(READ "${path}" text)
    set(original "${text}")

    if(file STREQUAL "dsp.ttl")
        # doap:maintainer and doap:release belong to a doap:Project; the class tells hosts what it is.
        string(REPLACE "\ta lv2:Plugin ;\n\tdoap:name" "\ta lv2:Plugin , lv2:DistortionPlugin , doap:Project ;\n\tdoap:name" text "${text}")
        # No e-mail address: an empty IRI would resolve to the Turtle file itself.
        string(REPLACE "\t\tfoaf:mbox <> ;\n" "" text "${text}")
        # Port properties are for ports, not for patch parameters.
        string(REPLACE "\t ;\n\tlv2:portProperty lv2:enumeration , lv2:toggled ;\n" " ;\n" text "${text}")
    elseif(file STREQUAL "ui.ttl")
        # ui:noUserResize is a feature and opts:interface is extension data, not the other way round.
        string(REPLACE "\t\tui:noUserResize ,\n\t\tui:resize ;" "\t\tui:resize ;" text "${text}")
        string(REPLACE "\t\tui:noUserResize ,\n\t\topts:interface ,\n\t\topts:options ;" "\t\tui:noUserResize ,\n\t\topts:options ;" text "${text}")
    elseif(file STREQUAL "manifest.ttl")
        # The single unnamed program would show as an empty preset, and its state key is undeclared.
        string(REGEX REPLACE "\n<[^>\n]*:preset[0-9]+>\n(\t[^\n]*\n)+" "\n" text "${text}")
    endif()

    if(NOT text STREQUAL original)
        file(WRITE "${path}" "${text}")
    endif()
endfunction()

foreach(f dsp.ttl ui.ttl manifest.ttl)
    tidy(${f})
endforeach()
