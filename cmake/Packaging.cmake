# What a user needs installed besides the two programs (their install rules lie beside their targets), and the
# Debian package: `cpack -G DEB` in a build configured with -DCMAKE_INSTALL_PREFIX=/usr.
set(TESSARY_ID org.tessary.tessary)
set(TESSARY_MAINTAINER "Tessary maintainers <maintainers@users.noreply.c-seed-58655413.example>")
set(TESSARY_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tessary)

install(FILES dist/${TESSARY_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES dist/${TESSARY_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES dist/completion/tessary-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES dist/debian/copyright DESTINATION ${TESSARY_DOC_DIR})
# What F1 opens.
install(FILES dist/help/tessary.html DESTINATION ${TESSARY_DOC_DIR})
install(FILES dist/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tessary)

# The package's version is the changelog's newest: they may not drift apart.
file(STRINGS dist/debian/changelog newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^tessary \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "dist/debian/changelog begins with \"${newest}\", not version ${PROJECT_VERSION}")
endif()

# Man pages and the changelog go compressed, without a time stamp, so that a build is reproducible.
set(compressed "")
foreach(file man/tessary.1 man/tessary-cli.1 debian/changelog)
    get_filename_component(name ${file} NAME)
    set(plain ${CMAKE_CURRENT_BINARY_DIR}/dist/${name})
    add_custom_command(OUTPUT ${plain}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/dist/${file} ${plain}
        COMMAND gzip -9nf ${plain}
        DEPENDS ${PROJECT_SOURCE_DIR}/dist/${file} VERBATIM)
    list(APPEND compressed ${plain}.gz)
endforeach()
add_custom_target(tessary_compressed_docs ALL DEPENDS ${compressed})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/dist/tessary.1.gz ${CMAKE_CURRENT_BINARY_DIR}/dist/tessary-cli.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# A native package: its changelog is changelog.gz.
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/dist/changelog.gz DESTINATION ${TESSARY_DOC_DIR})

set(CPACK_PACKAGE_NAME tessary)
set(CPACK_PACKAGE_VENDOR "Tessary maintainers")
set(CPACK_PACKAGE_CONTACT "${TESSARY_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "password manager for a desktop shared by several people")
# Lines as Debian wants them in the control file, at most 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Tessary keeps the passwords of several users on one machine. Each user has"
    "a master password and a key ring of keys: a name, a user name, a URL, notes"
    "and a password. Every field of every key is enciphered under the master"
    "password, which is never stored."
    ""
    "The desktop program lists the keys, copies a password to the clipboard for"
    "a minute and grades new passwords as they are typed; tessary-cli reaches the"
    "same key rings from a terminal or a script.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tessary.org/")
# The package holds what the build compiled in, the tool's module folder among it: -DCMAKE_INSTALL_PREFIX=/usr.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TESSARY_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
