# cmake -D... -P Package.cmake: the release files from the built binaries.
#   OUTPUT_DIR        where NAME-win32.zip and NAME.msi go (NAME: Kestrin-VERSION)
#   VERSION           the product's version, 1.0.0.1
#   FILE_VERSION      the version of the binaries, the same unless a test says
#   PORTS             the port names, as portlink/PortTable.cpp lists them: each
#                     is a public property of the MSI and a setting it writes
#   RELEASE_TIME      the time every file of the ZIP carries, "YYYY-MM-DD hh:mm:ss UTC"
#   RELEASE_EPOCH     the same in seconds since 1970, for the MSI
#   RELEASE           ON for a release, which is signed and time-stamped or not made,
#                     and which Windows Installer tells from a test build (below)
#   BIN_DIR           the folder of Kestrin.exe, Tavrix2.dll, README.txt, LICENSE.txt
#   ICON              the program's icon, for Add/Remove Programs
#   ZIP, WIXL, MSIBUILD  the archive's and the MSI's tools; OSSLSIGNCODE signs
# The two binaries and the MSI are signed (Authenticode, SHA-256) with a key
# given in the environment, either
#   KESTRIN_SIGN_PKCS12          a PKCS#12 file with the certificate and key, or
#   KESTRIN_SIGN_PKCS11_MODULE   a token's or signing service's PKCS#11 module,
#   KESTRIN_SIGN_KEY             the key's pkcs11: URI,
#   KESTRIN_SIGN_CERT            the certificate with its chain (PEM), and
#   KESTRIN_SIGN_PKCS11_ENGINE   OpenSSL's PKCS#11 engine, if not its own
#                                (libengine-pkcs11-openssl);
# KESTRIN_SIGN_PASSWORD is the PKCS#12 file's password or the token's PIN,
# and every signature is time-stamped by the RFC 3161 server at
# KESTRIN_SIGN_TIMESTAMP_URL when one is given. SHA256SUMS, beside the ZIP
# and the MSI, lists both.
cmake_minimum_required(VERSION 3.20)

if(NOT PORTS)
    message(FATAL_ERROR "no PORTS given: the port names come from portlink/PortTable.cpp")
endif()
# The same in every version: what finds the product to upgrade, and the
# space the components' GUIDs are named in.
set(UPGRADE_CODE {3E0B7C52-9A1D-4F6E-8C27-5D4A1B9E0F63})
set(GUID_NAMESPACE 7B4D9E21-0C5A-4F83-B6E2-91A0C4D8F357)

# Windows Installer compares the first three fields of ProductVersion, the
# third up to 65535, and ignores a fourth: versions that differ only in
# their fourth field are one version to it. So the product version folds
# the last two fields of VERSION into its third, 1000 x the third and 10 x
# the fourth, and a build that is not a release adds 1: 1.0.0.1 is 1.0.10
# as a release and 1.0.11 as a test build, which is later than that release
# and earlier than the next. Each has a product code of its own, named
# after it, so that a test build is never taken for a release.
string(REGEX MATCH "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$" fields "${VERSION}")
if(NOT fields OR CMAKE_MATCH_1 GREATER 255 OR CMAKE_MATCH_2 GREATER 255 OR CMAKE_MATCH_3 GREATER 64
        OR CMAKE_MATCH_4 GREATER 99)
    message(FATAL_ERROR "VERSION ${VERSION} is not a.b.c.d with a and b up to 255, c up to 64 "
        "and d up to 99, which Windows Installer's product version can hold")
endif()
math(EXPR build "${CMAKE_MATCH_3} * 1000 + ${CMAKE_MATCH_4} * 10")
set(PRODUCT_VERSION ${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${build})
if(NOT RELEASE)
    math(EXPR build "${build} + 1")
    message(NOTICE "Kestrin-${VERSION}: a test build, product version ${CMAKE_MATCH_1}."
        "${CMAKE_MATCH_2}.${build}, which Windows Installer tells from the release's ${PRODUCT_VERSION}")
    set(PRODUCT_VERSION ${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${build})
endif()
string(UUID PRODUCT_CODE NAMESPACE ${GUID_NAMESPACE} NAME "Product ${PRODUCT_VERSION}" TYPE SHA1 UPPER)
set(PRODUCT_CODE "{${PRODUCT_CODE}}")

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

# How the files are signed, decided before anything is made: a release
# that cannot be signed stops here, with its reason.
# SIGN_KEY stays one argument: a pkcs11: URI has semicolons.
set(SIGN_WITH "")
set(SIGN_KEY "")
if(DEFINED ENV{KESTRIN_SIGN_PKCS12} AND DEFINED ENV{KESTRIN_SIGN_PKCS11_MODULE})
    message(FATAL_ERROR "give KESTRIN_SIGN_PKCS12 or KESTRIN_SIGN_PKCS11_MODULE, not both")
elseif(DEFINED ENV{KESTRIN_SIGN_PKCS12})
    set(SIGN_KEY_OPTION -pkcs12)
    set(SIGN_KEY "$ENV{KESTRIN_SIGN_PKCS12}")
elseif(DEFINED ENV{KESTRIN_SIGN_PKCS11_MODULE})
    if(NOT DEFINED ENV{KESTRIN_SIGN_KEY} OR NOT DEFINED ENV{KESTRIN_SIGN_CERT})
        message(FATAL_ERROR "signing through KESTRIN_SIGN_PKCS11_MODULE needs KESTRIN_SIGN_KEY "
            "(the key's pkcs11: URI) and KESTRIN_SIGN_CERT (its certificate, PEM)")
    endif()
    # osslsigncode loads OpenSSL's engine "pkcs11" by itself; a path given
    # to -pkcs11engine fails with osslsigncode 2.5, Debian 12's.
    set(SIGN_WITH -pkcs11module $ENV{KESTRIN_SIGN_PKCS11_MODULE} -certs $ENV{KESTRIN_SIGN_CERT})
    if(DEFINED ENV{KESTRIN_SIGN_PKCS11_ENGINE})
        list(PREPEND SIGN_WITH -pkcs11engine $ENV{KESTRIN_SIGN_PKCS11_ENGINE})
    endif()
    set(SIGN_KEY_OPTION -key)
    set(SIGN_KEY "$ENV{KESTRIN_SIGN_KEY}")
elseif(RELEASE)
    message(FATAL_ERROR "a release is signed, and no key was given: set KESTRIN_SIGN_PKCS12 to "
        "a PKCS#12 file, or KESTRIN_SIGN_PKCS11_MODULE, KESTRIN_SIGN_KEY and KESTRIN_SIGN_CERT "
        "for a hardware token or signing service, with KESTRIN_SIGN_PASSWORD")
else()
    message(NOTICE "${NAME}: not signed, since no key was given (KESTRIN_SIGN_PKCS12 or "
        "KESTRIN_SIGN_PKCS11_MODULE); a release build refuses that")
endif()
# A time stamp keeps the signature valid after the certificate expires:
# without one, a release would stop being trusted with its certificate.
set(timestamp "")
if(DEFINED ENV{KESTRIN_SIGN_TIMESTAMP_URL})
    set(timestamp -ts $ENV{KESTRIN_SIGN_TIMESTAMP_URL})
elseif(RELEASE)
    message(FATAL_ERROR "a release's signatures are time-stamped, and no time-stamp server "
        "was given: set KESTRIN_SIGN_TIMESTAMP_URL to your CA's RFC 3161 server")
endif()
if(SIGN_KEY AND NOT OSSLSIGNCODE)
    message(FATAL_ERROR "signing needs osslsigncode (apt-get install osslsigncode)")
endif()

function(sign file)
    if(NOT SIGN_KEY)
        return()
    endif()
    # The password or PIN goes through a file, not the command line others
    # can see, and the file goes whether or not the signing works.
    set(password "")
    if(DEFINED ENV{KESTRIN_SIGN_PASSWORD} OR DEFINED ENV{KESTRIN_SIGN_PKCS12})
        file(WRITE ${STAGE}/password "$ENV{KESTRIN_SIGN_PASSWORD}")
        file(CHMOD ${STAGE}/password PERMISSIONS OWNER_READ OWNER_WRITE)
        set(password -readpass ${STAGE}/password)
    endif()
    execute_process(COMMAND ${OSSLSIGNCODE} sign ${SIGN_WITH} ${SIGN_KEY_OPTION} "${SIGN_KEY}" ${password} -h sha256
        -n "Kestrin QLA Image Size" ${timestamp} -in ${file} -out ${file}.signed
        RESULT_VARIABLE result)
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
# The administrator's guide, which names this very package's codes.
configure_file(${CMAKE_CURRENT_LIST_DIR}/../docs/ADMIN.txt ${CONTENT}/ADMIN.txt @ONLY
    NEWLINE_STYLE CRLF)
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
    ${NAME}-win32/ADMIN.txt ${NAME}-win32/LICENSE.txt ${NAME}-win32/policy/Kestrin.admx
    ${NAME}-win32/policy/en-US/Kestrin.adml)
file(REMOVE ${zip})
run(${CMAKE_COMMAND} -E chdir ${STAGE} touch -d ${RELEASE_TIME} ${entries})
run(${CMAKE_COMMAND} -E chdir ${STAGE} ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP} -X -D -q ${zip}
    ${entries})

# The MSI. Each port's property, and TIMEOUTSECONDS, is in one of three
# states, which Windows Installer can tell apart only through a default of
# the package's own: not given (<keep>: the value the machine has is kept,
# across an upgrade too), given (written), or given empty (PORT="": removed).
# An empty property and a missing one are the same to Windows Installer, so
# the full UI's client, which passes no empty property on to the server,
# marks it <clear>. What the machine has is found by AppSearch in the
# execute sequence only: the server does not run AppSearch when the client
# has, and only public properties listed as secure pass from client to
# server, so a search of the client's would leave the server nothing to
# keep. The components are transitive, so that a reinstall (REINSTALL=ALL)
# evaluates their conditions again and adds or removes a value, where
# Windows Installer would otherwise keep the first install's.
# The Registry table reads a value's leading "#" as its type ("#5" is a
# REG_DWORD, "#%..." a REG_EXPAND_SZ, "##..." the string "#..."), and what
# AppSearch finds comes with the same prefixes, so a kept value keeps its
# type. A given value is stored as written: one that begins with "#" is
# escaped, and one that names a variable (%NAME%) is a REG_EXPAND_SZ, which
# Kestrin expands when it reads it, as it does Group Policy's.
if(NOT WIXL OR NOT MSIBUILD)
    message(FATAL_ERROR "the MSI needs wixl and msibuild (apt-get install wixl msitools)")
endif()
set(KEEP "<keep>")
set(CLEAR "<clear>")
# Component.Attributes: the key path is a registry value (4), the
# condition is evaluated at every reinstall (Transitive, 64).
set(SETTING_ATTRIBUTES 68)
set(SETTINGS_KEY "Software\\Kestrin\\Tavrix")
set(SETTING_PROPERTIES "")
set(SETTING_COMPONENTS "")
set(SETTING_REFS "")
set(QUERIES "")
set(nSetting 0)
foreach(port IN LISTS PORTS ITEMS TIMEOUTSECONDS)
    if(port STREQUAL TIMEOUTSECONDS)
        set(key ${SETTINGS_KEY})
        set(value_name TimeoutSeconds)
        set(component TimeoutSeconds)
        # A given timeout is written as a REG_DWORD (below).
        set(value TimeoutValue)
        set(condition TimeoutValue)
    else()
        set(key "${SETTINGS_KEY}\\Ports")
        set(value_name ${port})
        set(component Port${port})
        set(value ${port})
        set(condition "${port} AND ${port} <> \"${CLEAR}\"")
        # Before the machine's value is taken, which has its prefix already;
        # each action its own number (ICE82).
        math(EXPR expand "51 + ${nSetting}")
        math(EXPR escape "71 + ${nSetting}")
        list(APPEND QUERIES
            -q "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('Expand${port}', 51, '${port}', '#%[${port}]')"
            -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('Expand${port}', '${port} >< \"%\"', ${expand})"
            -q "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('Escape${port}', 51, '${port}', '#[${port}]')"
            -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('Escape${port}', '${port} << \"#\" AND NOT (${port} >< \"%\")', ${escape})")
    endif()
    string(UUID guid NAMESPACE ${GUID_NAMESPACE} NAME "Port ${port}" TYPE SHA1 UPPER)
    string(APPEND SETTING_PROPERTIES
        "    <Property Id=\"${port}\" Value=\"&lt;keep&gt;\"/>\n"
        "    <Property Id=\"FOUND${port}\">\n"
        "      <RegistrySearch Id=\"FOUND${port}\" Root=\"HKLM\" Key=\"${key}\" Name=\"${value_name}\" Type=\"raw\"/>\n"
        "    </Property>\n")
    string(APPEND SETTING_COMPONENTS
        "          <Component Id=\"${component}\" Guid=\"{${guid}}\">\n"
        "            <RegistryValue Root=\"HKLM\" Key=\"${key}\" Name=\"${value_name}\" Type=\"string\" Value=\"[${value}]\" KeyPath=\"yes\"/>\n"
        "          </Component>\n")
    string(APPEND SETTING_REFS "      <ComponentRef Id=\"${component}\"/>\n")
    # The client marks what was given empty before it hands over; the server
    # takes the machine's value for what was not given, after AppSearch (50)
    # and before LaunchConditions (moved to 150 to make room), so long
    # before CostInitialize.
    math(EXPR mark "26 + ${nSetting}")
    math(EXPR keep "101 + ${nSetting}")
    list(APPEND QUERIES
        -q "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('Mark${port}', 51, '${port}', '${CLEAR}')"
        -q "INSERT INTO `InstallUISequence` (`Action`, `Condition`, `Sequence`) VALUES ('Mark${port}', 'NOT ${port}', ${mark})"
        -q "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('Keep${port}', 51, '${value}', '[FOUND${port}]')"
        -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('Keep${port}', '${port} = \"${KEEP}\"', ${keep})"
        -q "UPDATE `Component` SET `Attributes` = ${SETTING_ATTRIBUTES}, `Condition` = '${condition}' WHERE `Component` = '${component}'")
    math(EXPR nSetting "${nSetting} + 1")
endforeach()
# A timeout given is written as a REG_DWORD; one the installer cannot
# write as such is refused before anything is changed.
list(APPEND QUERIES
    -q "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('GiveTIMEOUTSECONDS', 51, 'TimeoutValue', '#[TIMEOUTSECONDS]')"
    -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Condition`, `Sequence`) VALUES ('GiveTIMEOUTSECONDS', 'TIMEOUTSECONDS AND TIMEOUTSECONDS <> \"${KEEP}\" AND TIMEOUTSECONDS <> \"${CLEAR}\"', 70)"
    -q "INSERT INTO `LaunchCondition` (`Condition`, `Description`) VALUES ('NOT TIMEOUTSECONDS OR TIMEOUTSECONDS = \"${KEEP}\" OR TIMEOUTSECONDS = \"${CLEAR}\" OR (TIMEOUTSECONDS >= 1 AND TIMEOUTSECONDS <= 60)', 'TIMEOUTSECONDS must be a whole number of seconds from 1 to 60.')"
    # The client searches nothing (above).
    -q "DELETE FROM `InstallUISequence` WHERE `Action` = 'AppSearch'"
    -q "UPDATE `InstallExecuteSequence` SET `Sequence` = 150 WHERE `Action` = 'LaunchConditions'")

string(UUID PROGRAM_GUID NAMESPACE ${GUID_NAMESPACE} NAME "Program" TYPE SHA1 UPPER)
set(PROGRAM_GUID "{${PROGRAM_GUID}}")
string(UUID LIBRARY_GUID NAMESPACE ${GUID_NAMESPACE} NAME "Library" TYPE SHA1 UPPER)
set(LIBRARY_GUID "{${LIBRARY_GUID}}")
# The event log's source (Kestrin.wxs.in): removing its component removes
# its key whole, whatever else was added to it, by a Registry row named "-"
# without a value, which wixl cannot write.
string(UUID EVENT_SOURCE_GUID NAMESPACE ${GUID_NAMESPACE} NAME "EventSource" TYPE SHA1 UPPER)
set(EVENT_SOURCE_GUID "{${EVENT_SOURCE_GUID}}")
set(EVENT_SOURCE_KEY "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Kestrin")
list(APPEND QUERIES
    -q "INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('EventSourceKey', 2, '${EVENT_SOURCE_KEY}', '-', 'EventSource')")
file(READ ${CMAKE_CURRENT_LIST_DIR}/Kestrin.wxs.in template)
string(CONFIGURE "${template}" wxs @ONLY)
file(WRITE ${STAGE}/Kestrin.wxs "${wxs}")

set(msi ${OUTPUT_DIR}/${NAME}.msi)
file(REMOVE ${msi})
# wixl takes the files' paths relative to where it runs.
file(COPY ${ICON} DESTINATION ${STAGE})
get_filename_component(icon_name ${ICON} NAME)
run(${CMAKE_COMMAND} -E chdir ${STAGE} ${WIXL} -a x86 -D Version=${PRODUCT_VERSION}
    -D IconFile=${icon_name} -D SourceDir=${NAME}-win32 -o ${msi} Kestrin.wxs)
# What wixl does not write: the settings' actions and components (above),
# the Add/Remove Programs entries that name the install folder, the secure
# properties a managed install may pass to the server, and the binaries'
# versions and language, so that Windows Installer replaces and repairs
# them by version.
foreach(file KestrinExe Tavrix2Dll)
    list(APPEND QUERIES
        -q "UPDATE `File` SET `Version` = '${FILE_VERSION}', `Language` = '1033' WHERE `File` = '${file}'"
        -q "DELETE FROM `MsiFileHash` WHERE `File_` = '${file}'")
endforeach()
list(APPEND QUERIES
    -q "UPDATE `CustomAction` SET `Type` = 51 WHERE `Type` = 2099")
set(sequence 1001)
foreach(action SetARPINSTALLLOCATION SetARPHELPLINK SetARPURLINFOABOUT)
    list(APPEND QUERIES
        -q "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('${action}', ${sequence})")
    math(EXPR sequence "${sequence} + 1")
endforeach()
run(${MSIBUILD} ${msi} ${QUERIES})
# A value with semicolons stays one argument only when written out here.
set(secure "WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;${PORTS};TIMEOUTSECONDS")
execute_process(COMMAND ${MSIBUILD} ${msi} -q
    "UPDATE `Property` SET `Value` = '${secure}' WHERE `Property` = 'SecureCustomProperties'"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "msibuild could not set SecureCustomProperties")
endif()
# One commit, one MSI: the summary's dates are the release time, and the
# package code, which Windows Installer takes for the package's identity,
# is named after the package's own bytes with the code left blank.
set(summary ${CMAKE_CURRENT_LIST_DIR}/msi-summary ${msi} ${RELEASE_EPOCH})
run(${summary} {00000000-0000-0000-0000-000000000000})
file(SHA256 ${msi} blank_sha256)
string(UUID PACKAGE_CODE NAMESPACE ${GUID_NAMESPACE} NAME "Package ${blank_sha256}" TYPE SHA1 UPPER)
run(${summary} {${PACKAGE_CODE}})
sign(${msi})

# What a download is checked against: sha256sum -c SHA256SUMS.
file(SHA256 ${zip} zip_sha256)
file(SHA256 ${msi} msi_sha256)
file(WRITE ${OUTPUT_DIR}/SHA256SUMS "${zip_sha256}  ${NAME}-win32.zip\n${msi_sha256}  ${NAME}.msi\n")
