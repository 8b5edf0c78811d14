# JUCE's generated BinaryData::getNamedResourceOriginalFilename hands its argument to
# strcmp unchecked, so a null name would crash; this adds the missing check after the
# table is generated. A no-op if the generated code already has it.
#   cmake -DSOURCE=<BinaryData1.cpp> -P GuardResourceLookup.cmake

file(READ "${SOURCE}" text)
set(signature "const char* getNamedResourceOriginalFilename (const char* resourceNameUTF8)\n{\n")
set(guard "    if (resourceNameUTF8 == nullptr)\n        return nullptr;\n\n")

string(FIND "${text}" "${signature}${guard}" guarded)
string(FIND "${text}" "${signature}" found)
if(guarded EQUAL -1 AND NOT found EQUAL -1)
    string(REPLACE "${signature}" "${signature}${guard}" text "${text}")
    file(WRITE "${SOURCE}" "${text}")
endif()
