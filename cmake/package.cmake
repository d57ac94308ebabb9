# Desktop integration and the Debian package: the icon drawn from our own
# piece artwork, the desktop entry, the AppStream metainfo, the manual page,
# CPack's .deb (`make package`) and the checks of all of it (label package).

set(ZELVANE_APP_ID org.orlavan.Zelvane)
set(ZELVANE_DATA_DIR ${CMAKE_SOURCE_DIR}/data)

# ---- the icon: one drawing for the icon files and the window icon ------------------
# The drawing itself is src/ui/app_icon, part of zelvane_ui like the window icon.

add_executable(make_icon ${CMAKE_SOURCE_DIR}/tools/icon/make_icon.cpp)
target_link_libraries(make_icon PRIVATE zelvane_ui)

set(ZELVANE_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(ZELVANE_ICON_FILES ${ZELVANE_ICON_DIR}/hicolor/scalable/apps/${ZELVANE_APP_ID}.svg)
foreach(px IN ITEMS 16 24 32 48 64 128 256 512)
    list(APPEND ZELVANE_ICON_FILES ${ZELVANE_ICON_DIR}/hicolor/${px}x${px}/apps/${ZELVANE_APP_ID}.png)
endforeach()
add_custom_command(
    OUTPUT ${ZELVANE_ICON_FILES}
    COMMAND make_icon ${ZELVANE_APP_ID} ${ZELVANE_ICON_DIR}
    DEPENDS make_icon
    COMMENT "Drawing the application icon"
    VERBATIM)

# ---- compressed documents, as Debian keeps them ----------------------------------
set(ZELVANE_DOC_OUT ${CMAKE_BINARY_DIR}/doc)
function(zelvane_gzip source output)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${ZELVANE_DOC_OUT}
        COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${source} ${output}
        DEPENDS ${source}
        VERBATIM)
endfunction()
zelvane_gzip(${ZELVANE_DATA_DIR}/zelvane.6 ${ZELVANE_DOC_OUT}/zelvane.6.gz)
zelvane_gzip(${ZELVANE_DATA_DIR}/changelog ${ZELVANE_DOC_OUT}/changelog.gz)

# ---- the desktop entry and the metainfo, their texts from the game's catalogs ----------
add_executable(make_desktop_files ${CMAKE_SOURCE_DIR}/tools/desktop/make_desktop_files.cpp)
target_link_libraries(make_desktop_files PRIVATE zelvane_core)

set(ZELVANE_DESKTOP_ENTRY ${CMAKE_BINARY_DIR}/${ZELVANE_APP_ID}.desktop)
set(ZELVANE_METAINFO ${CMAKE_BINARY_DIR}/${ZELVANE_APP_ID}.metainfo.xml)
foreach(output IN ITEMS ${ZELVANE_DESKTOP_ENTRY} ${ZELVANE_METAINFO})
    get_filename_component(name ${output} NAME)
    add_custom_command(
        OUTPUT ${output}
        COMMAND make_desktop_files ${ZELVANE_DATA_DIR}/${name}.in ${output}
        DEPENDS make_desktop_files ${ZELVANE_DATA_DIR}/${name}.in
        COMMENT "Writing ${name} in every language"
        VERBATIM)
endforeach()

add_custom_target(zelvane_desktop_files ALL
    DEPENDS ${ZELVANE_ICON_FILES} ${ZELVANE_DESKTOP_ENTRY} ${ZELVANE_METAINFO}
        ${ZELVANE_DOC_OUT}/zelvane.6.gz ${ZELVANE_DOC_OUT}/changelog.gz)

# ---- install: the usual places of a desktop application ----------------------------
install(DIRECTORY ${ZELVANE_ICON_DIR}/hicolor DESTINATION share/icons)
install(FILES ${ZELVANE_DESKTOP_ENTRY} DESTINATION share/applications)
install(FILES ${ZELVANE_METAINFO} DESTINATION share/metainfo)
install(FILES ${ZELVANE_DOC_OUT}/zelvane.6.gz DESTINATION share/man/man6)
install(FILES ${ZELVANE_DATA_DIR}/copyright ${ZELVANE_DOC_OUT}/changelog.gz DESTINATION share/doc/zelvane)
install(FILES ${ZELVANE_DATA_DIR}/zelvane.lintian-overrides DESTINATION share/lintian/overrides RENAME zelvane)

# ---- the .deb ----------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orlavan's Chess developers")
set(CPACK_PACKAGE_CONTACT "Orlavan Software <hallo@orlavan-software.de>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "single-player chess game with 100 levels")
# CPack puts the summary on the first line; this is the long text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Orlavan's Chess is a desktop chess game for one player. It leads through
100 levels against a computer opponent, from handicapped beginner games
to a 1900-rated opponent.
.
Every won game earns up to three stars and a place in the gallery; hints,
undo, a saved game that resumes, ten board looks, music and sound effects
and 22 interface languages are included.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The game's DejaVu Sans files are links into this package's fonts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-dejavu-core)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
include(CPack)

# ---- checks ------------------------------------------------------------------------
# The deferred call runs after tests/ is read, so these join the suite that
# `make test` runs.
function(zelvane_package_tests)
    set(checks desktop metainfo manpage icons window installed deb)
    # A sanitizer build is never packaged: it is not hardened and needs the
    # sanitizer runtimes, so its .deb is not the one players get.
    if(ZELVANE_SANITIZE)
        list(REMOVE_ITEM checks deb)
    endif()
    foreach(check IN LISTS checks)
        add_test(NAME package_${check}
            COMMAND sh ${CMAKE_SOURCE_DIR}/tests/package_checks.sh ${check}
                ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR} ${ZELVANE_APP_ID})
        set_tests_properties(package_${check} PROPERTIES LABELS package TIMEOUT 120)
    endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL zelvane_package_tests)
