# The port names, in port-number order, as portlink/PortTable.cpp lists them:
# that table is their one home, and everything else that lists the ports (the
# MSI's properties, the administrative template, the failure text, the
# guides' tables, the test scripts) takes them from KESTRIN_PORT_NAMES or is
# checked against it (tests/support/check-port-lists). The code takes their
# number, PORT_COUNT, from KESTRIN_PORT_COUNT. Adding a port is a row there
# and a rebuild.
set(KESTRIN_PORT_TABLE ${CMAKE_CURRENT_LIST_DIR}/../portlink/PortTable.cpp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KESTRIN_PORT_TABLE})
file(READ ${KESTRIN_PORT_TABLE} _port_table)
string(REGEX MATCH "g_rgpszPortNames\\[PORT_COUNT\\] = {([^}]*)}" _rows "${_port_table}")
string(REGEX MATCHALL "\"[^\"]*\"" _names "${CMAKE_MATCH_1}")
string(REPLACE "\"" "" KESTRIN_PORT_NAMES "${_names}")
list(LENGTH KESTRIN_PORT_NAMES KESTRIN_PORT_COUNT)
if(KESTRIN_PORT_COUNT EQUAL 0)
    message(FATAL_ERROR "No port names found in ${KESTRIN_PORT_TABLE}")
endif()
# Each name is also the name of an MSI public property, which Windows
# Installer takes in upper case only, and of a policy in the template.
foreach(_name IN LISTS KESTRIN_PORT_NAMES)
    if(NOT _name MATCHES "^[A-Z][A-Z0-9]*$")
        message(FATAL_ERROR "${KESTRIN_PORT_TABLE}: the port name \"${_name}\" is not upper-case letters and digits")
    endif()
endforeach()
unset(_port_table)
unset(_rows)
unset(_names)
unset(_name)
