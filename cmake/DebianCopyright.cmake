# Writes the machine-readable copyright file of the package: the head from
# resources/debian/copyright.head, then the licence text of LICENSE (from its
# first paragraph on, after the title and the copyright line) as the body of
# the License field: each line indented by one space, a blank line as " .".
# Usage: cmake -DHEAD=... -DLICENSE=... -DOUTPUT=... -P DebianCopyright.cmake
file(READ ${HEAD} head)
file(READ ${LICENSE} licence)
string(REGEX REPLACE "^[^\n]*\n\n[^\n]*\n\n" "" licence "${licence}")
string(REGEX REPLACE "\n$" "" licence "${licence}")
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence "${licence}")
file(WRITE ${OUTPUT} "${head} ${licence}\n")
