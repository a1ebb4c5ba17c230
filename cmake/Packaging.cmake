# The Debian package: `cmake --build build --target package` writes
# build/lustrelab_<version>-<release>_<arch>.deb with the program, its desktop
# files, the manual page and the shell completions.

include(GNUInstallDirs)
set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
set(packaging_out ${PROJECT_BINARY_DIR}/packaging)
set(LUSTRELAB_DEB_RELEASE 1 CACHE STRING "Debian revision of the package (the -N after the version)")
set(LUSTRELAB_DEB_MAINTAINER "The Lustrelab developers <lustrelab@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

# Dates and versions have one home each; the package only reads them.
set(metainfo_file ${PROJECT_SOURCE_DIR}/data/org.lustrelab.Lustrelab.metainfo.xml)
set(changelog_file ${packaging_dir}/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${metainfo_file} ${changelog_file} ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${metainfo_file} metainfo)
if(NOT metainfo MATCHES "<release version=\"${PROJECT_VERSION}\" date=\"([0-9-]+)\"")
    message(FATAL_ERROR "The metainfo has no <release> for version ${PROJECT_VERSION}")
endif()
set(LUSTRELAB_MAN_DATE ${CMAKE_MATCH_1})
file(STRINGS ${changelog_file} changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^lustrelab \\(${PROJECT_VERSION}-${LUSTRELAB_DEB_RELEASE}\\) ")
    message(FATAL_ERROR "packaging/changelog must start with the entry for "
                        "${PROJECT_VERSION}-${LUSTRELAB_DEB_RELEASE}, not: ${changelog_top}")
endif()

# Debian's copyright file carries the licence text of LICENSE, in its own layout:
# every line indented by one space, an empty line written as " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" _ "${license}")
set(LUSTRELAB_COPYRIGHT ${CMAKE_MATCH_1})
string(FIND "${license}" "Permission is hereby granted" body_start)
string(SUBSTRING "${license}" ${body_start} -1 license_body)
string(STRIP "${license_body}" license_body)
string(REPLACE "\n\n" "\n.\n" license_body "${license_body}")
string(REPLACE "\n" "\n " LUSTRELAB_LICENSE_TEXT " ${license_body}")
configure_file(${packaging_dir}/copyright.in ${packaging_out}/copyright @ONLY)
configure_file(${packaging_dir}/lustrelab.1.in ${packaging_out}/lustrelab.1 @ONLY)

# Debian keeps manual pages and changelogs gzipped, without name or time stamp.
find_program(GZIP_PROGRAM gzip REQUIRED)
add_custom_command(OUTPUT ${packaging_out}/lustrelab.1.gz
    COMMAND ${GZIP_PROGRAM} -9nkf ${packaging_out}/lustrelab.1
    DEPENDS ${packaging_out}/lustrelab.1 VERBATIM)
add_custom_command(OUTPUT ${packaging_out}/changelog.Debian.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${changelog_file} ${packaging_out}/changelog.Debian
    COMMAND ${GZIP_PROGRAM} -9nf ${packaging_out}/changelog.Debian
    DEPENDS ${changelog_file} VERBATIM)
add_custom_target(packaging_files ALL
    DEPENDS ${packaging_out}/lustrelab.1.gz ${packaging_out}/changelog.Debian.gz)

install(FILES ${packaging_out}/lustrelab.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
set(completions ${packaging_dir}/completions)
install(FILES ${completions}/lustrelab.bash RENAME lustrelab
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${completions}/_lustrelab DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${completions}/lustrelab.fish DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
# Only the package has Debian's changelog and copyright; `cmake --install`
# leaves them out (the LICENSE rule in src/ covers other installs).
install(FILES ${packaging_out}/changelog.Debian.gz ${packaging_out}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lustrelab COMPONENT debian EXCLUDE_FROM_ALL)

# Hardened like Debian's own builds where it costs nothing: symbols bound at
# load time, so the relocations can be read-only; and when stripping, the
# compiler's version notes go too.
target_link_options(lustrelab PRIVATE LINKER:-z,now)
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/lustrelab\")
    endif()")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lustrelab)
set(CPACK_PACKAGE_VENDOR "The Lustrelab developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screenshot beautifier with device frames and annotations")
set(CPACK_PACKAGE_DESCRIPTION
"Lustrelab styles a screenshot for a blog post, a slide or a shop page: it
rounds the corners, adds a border and a drop shadow, and places the image
with padding on a gradient, a solid colour or a transparent background,
optionally inside a drawn phone, tablet, laptop or browser frame. Texts,
arrows, shapes, highlights, blurs and erased areas go on top; the result is
exported as PNG or JPEG.

Besides the window, `lustrelab compose` styles images from the command line
without a display, and `lustrelab capture` takes, styles and saves a
screenshot in one step, for a key binding.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The program's own files, then Debian's; the licence under share/licenses is
# what copyright already says.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};Unspecified;/"
    "${PROJECT_BINARY_DIR};${PROJECT_NAME};debian;/")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${LUSTRELAB_DEB_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${LUSTRELAB_DEB_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as plugins, opened at run time or data, so dpkg-shlibdeps cannot see
# them: the SVG icon, the text recognition engine and its English data, and
# (recommended) Wayland windows without falling back to XWayland, and wl-copy,
# through which a copy made on Wayland outlives the window.
string(REGEX MATCH "^[0-9]+" tesseract_major "${TESSERACT_tesseract_VERSION}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, libtesseract${tesseract_major}, tesseract-ocr-eng")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, wl-clipboard")
# A capture needs one of these.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS
    "slop | xdg-desktop-portal | gnome-screenshot | kde-spectacle | grim | maim | scrot | imagemagick, slurp")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
