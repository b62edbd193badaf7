# cmake -D... -P Package.cmake: the release files from the built binaries.
#   OUTPUT_DIR        where NAME-win32.zip and NAME.msi go (NAME: Kestrin-VERSION)
#   VERSION           the product's version, 1.0.0.1
#   FILE_VERSION      the version of the binaries, the same unless a test says
#   RELEASE_TIME      the time every file of the ZIP carries, "YYYY-MM-DD hh:mm:ss UTC"
#   BIN_DIR           the folder of Kestrin.exe, Tavrix2.dll, README.txt, LICENSE.txt
#   ICON              the program's icon, for Add/Remove Programs
#   ZIP, WIXL, MSIBUILD  the archive's and the MSI's tools; OSSLSIGNCODE signs
# With a PKCS#12 file named in KESTRIN_SIGN_PKCS12 and its password in
# KESTRIN_SIGN_PASSWORD, the two binaries and the MSI are signed
# (Authenticode, SHA-256), and time-stamped by the RFC 3161 server at
# KESTRIN_SIGN_TIMESTAMP_URL when one is given. SHA256SUMS, beside the ZIP
# and the MSI, lists both.
cmake_minimum_required(VERSION 3.20)

set(PORTS COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 LPT1 LPT2 LPT3 LPT4
    FILES TCPIP ZOVAVA0 QORUSB1 QORUSB2 QORUSB3)
# The same in every version: what finds the product to upgrade, and the
# space the components' GUIDs are named in.
set(UPGRADE_CODE {3E0B7C52-9A1D-4F6E-8C27-5D4A1B9E0F63})
set(GUID_NAMESPACE 7B4D9E21-0C5A-4F83-B6E2-91A0C4D8F357)

set(NAME Kestrin-${VERSION})
set(STAGE ${OUTPUT_DIR}/package-stage)
set(CONTENT ${STAGE}/${NAME}-win32)

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        list(JOIN ARGN " " command)
        message(FATAL_ERROR "failed (${result}): ${command}")
    endif()
endfunction()

function(sign file)
    if(NOT DEFINED ENV{KESTRIN_SIGN_PKCS12})
        return()
    endif()
    if(NOT OSSLSIGNCODE)
        message(FATAL_ERROR "signing needs osslsigncode (apt-get install osslsigncode)")
    endif()
    # A time stamp keeps the signature valid after the certificate expires.
    set(timestamp "")
    if(DEFINED ENV{KESTRIN_SIGN_TIMESTAMP_URL})
        set(timestamp -ts $ENV{KESTRIN_SIGN_TIMESTAMP_URL})
    endif()
    # The password goes through a file, not the command line others can see,
    # and the file goes whether or not the signing works.
    file(WRITE ${STAGE}/password "$ENV{KESTRIN_SIGN_PASSWORD}")
    file(CHMOD ${STAGE}/password PERMISSIONS OWNER_READ OWNER_WRITE)
    execute_process(COMMAND ${OSSLSIGNCODE} sign -pkcs12 $ENV{KESTRIN_SIGN_PKCS12}
        -readpass ${STAGE}/password -h sha256 -n "Kestrin QLA Image Size" ${timestamp}
        -in ${file} -out ${file}.signed RESULT_VARIABLE result)
    file(REMOVE ${STAGE}/password)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "signing ${file} failed (${result})")
    endif()
    file(RENAME ${file}.signed ${file})
endfunction()

# The files as they ship, signed if asked for.
file(REMOVE_RECURSE ${STAGE})
file(COPY ${BIN_DIR}/Kestrin.exe ${BIN_DIR}/Tavrix2.dll ${BIN_DIR}/README.txt ${BIN_DIR}/LICENSE.txt
    DESTINATION ${CONTENT}
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# Group Policy's administrative template, for PolicyDefinitions.
file(COPY ${CMAKE_CURRENT_LIST_DIR}/policy DESTINATION ${CONTENT}
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
sign(${CONTENT}/Kestrin.exe)
sign(${CONTENT}/Tavrix2.dll)

# The ZIP: its entries in a fixed order, each with the release time and
# nothing else of the file system's (zip -X), whatever the clock and the
# time zone say.
if(NOT ZIP)
    message(FATAL_ERROR "the ZIP needs Info-ZIP's zip (apt-get install zip)")
endif()
set(zip ${OUTPUT_DIR}/${NAME}-win32.zip)
set(entries ${NAME}-win32/Kestrin.exe ${NAME}-win32/Tavrix2.dll ${NAME}-win32/README.txt
    ${NAME}-win32/LICENSE.txt ${NAME}-win32/policy/Kestrin.admx ${NAME}-win32/policy/en-US/Kestrin.adml)
file(REMOVE ${zip})
run(${CMAKE_COMMAND} -E chdir ${STAGE} touch -d ${RELEASE_TIME} ${entries})
run(${CMAKE_COMMAND} -E chdir ${STAGE} ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP} -X -D -q ${zip}
    ${entries})

# The MSI. A port's setting is written only when its property is given;
# one given to an upgrade takes the place of the one it finds.
if(NOT WIXL OR NOT MSIBUILD)
    message(FATAL_ERROR "the MSI needs wixl and msibuild (apt-get install wixl msitools)")
endif()
set(PORT_PROPERTIES "")
set(PORT_COMPONENTS "")
set(PORT_REFS "")
set(QUERIES "")
set(nPort 0)
foreach(port IN LISTS PORTS)
    string(UUID guid NAMESPACE ${GUID_NAMESPACE} NAME "Port ${port}" TYPE SHA1 UPPER)
    string(APPEND PORT_PROPERTIES
        "    <Property Id=\"${port}\">\n"
        "      <RegistrySearch Id=\"Found${port}\" Root=\"HKLM\" Key=\"Software\\Kestrin\\Tavrix\\Ports\" Name=\"${port}\" Type=\"raw\"/>\n"
        "    </Property>\n"
        "    <CustomAction Id=\"KeepGiven${port}\" Property=\"GIVEN_${port}\" Value=\"[${port}]\"/>\n"
        "    <CustomAction Id=\"UseGiven${port}\" Property=\"${port}\" Value=\"[GIVEN_${port}]\"/>\n")
    # A value given on the command line is kept before AppSearch puts the
    # one it finds in its place, and put back after it: in both sequences,
    # at numbers of their own between FindRelatedProducts (25), AppSearch
    # (50) and LaunchConditions (100), so long before CostInitialize.
    math(EXPR keep "26 + ${nPort}")
    math(EXPR use "51 + ${nPort}")
    foreach(sequence InstallUISequence InstallExecuteSequence)
        list(APPEND QUERIES
            -q "INSERT INTO `${sequence}` (`Action`, `Condition`, `Sequence`) VALUES ('KeepGiven${port}', '${port}', ${keep})"
            -q "INSERT INTO `${sequence}` (`Action`, `Condition`, `Sequence`) VALUES ('UseGiven${port}', 'GIVEN_${port}', ${use})")
    endforeach()
    string(APPEND PORT_COMPONENTS
        "          <Component Id=\"Port${port}\" Guid=\"{${guid}}\">\n"
        "            <RegistryValue Root=\"HKLM\" Key=\"Software\\Kestrin\\Tavrix\\Ports\" Name=\"${port}\" Type=\"string\" Value=\"[${port}]\" KeyPath=\"yes\"/>\n"
        "          </Component>\n")
    string(APPEND PORT_REFS "      <ComponentRef Id=\"Port${port}\"/>\n")
    list(APPEND QUERIES -q "UPDATE `Component` SET `Condition` = '${port}' WHERE `Component` = 'Port${port}'")
    math(EXPR nPort "${nPort} + 1")
endforeach()
# Releases differ in their first three fields, the ones Windows Installer
# compares: a product code for each, so that the same release installed
# again is that product, not a second one beside it.
string(REGEX MATCH "^[0-9]+\\.[0-9]+\\.[0-9]+" RELEASE ${VERSION})
string(UUID PRODUCT_CODE NAMESPACE ${GUID_NAMESPACE} NAME "Product ${RELEASE}" TYPE SHA1 UPPER)
set(PRODUCT_CODE "{${PRODUCT_CODE}}")
string(UUID PROGRAM_GUID NAMESPACE ${GUID_NAMESPACE} NAME "Program" TYPE SHA1 UPPER)
set(PROGRAM_GUID "{${PROGRAM_GUID}}")
file(READ ${CMAKE_CURRENT_LIST_DIR}/Kestrin.wxs.in template)
string(CONFIGURE "${template}" wxs @ONLY)
file(WRITE ${STAGE}/Kestrin.wxs "${wxs}")

set(msi ${OUTPUT_DIR}/${NAME}.msi)
file(REMOVE ${msi})
# wixl takes the files' paths relative to where it runs.
file(COPY ${ICON} DESTINATION ${STAGE})
get_filename_component(icon_name ${ICON} NAME)
run(${CMAKE_COMMAND} -E chdir ${STAGE} ${WIXL} -a x86 -D Version=${VERSION} -D IconFile=${icon_name}
    -D SourceDir=${NAME}-win32 -o ${msi} Kestrin.wxs)
# What wixl does not write: the components' conditions, the sequence of the
# property actions (above), property actions that run as what they are
# (type 51, without the elevation flag that only deferred actions take),
# the install folder for Add/Remove Programs, the secure properties a
# managed install may pass to the server, and the binaries' versions and
# language, so that Windows Installer replaces and repairs them by version.
foreach(file KestrinExe Tavrix2Dll)
    list(APPEND QUERIES
        -q "UPDATE `File` SET `Version` = '${FILE_VERSION}', `Language` = '1033' WHERE `File` = '${file}'"
        -q "DELETE FROM `MsiFileHash` WHERE `File_` = '${file}'")
endforeach()
list(APPEND QUERIES
    -q "UPDATE `CustomAction` SET `Type` = 51 WHERE `Type` = 2099"
    -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('SetARPINSTALLLOCATION', 1001)")
run(${MSIBUILD} ${msi} ${QUERIES})
# A value with semicolons stays one argument only when written out here.
set(secure "WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;${PORTS}")
execute_process(COMMAND ${MSIBUILD} ${msi} -q
    "UPDATE `Property` SET `Value` = '${secure}' WHERE `Property` = 'SecureCustomProperties'"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "msibuild could not set SecureCustomProperties")
endif()
sign(${msi})

# What a download is checked against: sha256sum -c SHA256SUMS.
file(SHA256 ${zip} zip_sha256)
file(SHA256 ${msi} msi_sha256)
file(WRITE ${OUTPUT_DIR}/SHA256SUMS "${zip_sha256}  ${NAME}-win32.zip\n${msi_sha256}  ${NAME}.msi\n")
