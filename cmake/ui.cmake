# The game's window, drawing and screens (zelvane_ui), the game executable,
# the screenshot tool and the fonts the game ships with.

pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
pkg_check_modules(PANGOCAIRO REQUIRED IMPORTED_TARGET pangocairo)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)

file(GLOB ZELVANE_UI_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/src/ui/*.cpp
    ${CMAKE_SOURCE_DIR}/src/screens/*.cpp)
add_library(zelvane_ui STATIC ${ZELVANE_UI_SOURCES})
target_link_libraries(zelvane_ui PUBLIC zelvane_core
    PkgConfig::SDL2 PkgConfig::CAIRO PkgConfig::PANGOCAIRO PkgConfig::FONTCONFIG)

add_executable(zelvane ${CMAKE_SOURCE_DIR}/src/main.cpp)
target_link_libraries(zelvane PRIVATE zelvane_ui)

# build/shoot SCREEN WxH OUT.png [SECONDS]: a screen rendered off-screen to PNG.
add_executable(shoot ${CMAKE_SOURCE_DIR}/tools/shoot/shoot.cpp)
target_link_libraries(shoot PRIVATE zelvane_ui)
target_include_directories(shoot PRIVATE ${CMAKE_SOURCE_DIR}/tools)

# build/frame_bench SCREEN WxH SECONDS: frame timings and memory of a screen.
add_executable(frame_bench ${CMAKE_SOURCE_DIR}/bench/frame_bench.cpp)
target_link_libraries(frame_bench PRIVATE zelvane_ui)
target_include_directories(frame_bench PRIVATE ${CMAKE_SOURCE_DIR}/tools)

# ---- fonts: DejaVu Sans copied, the CJK glyphs cut down to what the texts use ----
set(ZELVANE_FONT_DIR ${CMAKE_BINARY_DIR}/assets/fonts)
set(ZELVANE_DEJAVU_DIR /usr/share/fonts/truetype/dejavu)
set(ZELVANE_NOTO_CJK /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc)
if(NOT EXISTS ${ZELVANE_NOTO_CJK})
    message(FATAL_ERROR "Noto Sans CJK is missing (Debian package fonts-noto-cjk)")
endif()
foreach(face IN ITEMS DejaVuSans.ttf DejaVuSans-Bold.ttf)
    if(NOT EXISTS ${ZELVANE_DEJAVU_DIR}/${face})
        message(FATAL_ERROR "${face} is missing (Debian package fonts-dejavu-core)")
    endif()
endforeach()

# Debian's fontTools belongs to the system interpreter, so look there first.
find_program(ZELVANE_PYTHON3 NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT ZELVANE_PYTHON3)
    find_program(ZELVANE_PYTHON3 NAMES python3 REQUIRED)
endif()

set(ZELVANE_FONT_FILES)
foreach(face IN ITEMS DejaVuSans.ttf DejaVuSans-Bold.ttf)
    add_custom_command(
        OUTPUT ${ZELVANE_FONT_DIR}/${face}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${ZELVANE_FONT_DIR}
        COMMAND ${CMAKE_COMMAND} -E copy ${ZELVANE_DEJAVU_DIR}/${face} ${ZELVANE_FONT_DIR}/${face}
        DEPENDS ${ZELVANE_DEJAVU_DIR}/${face}
        COMMENT "Copying ${face}"
        VERBATIM)
    list(APPEND ZELVANE_FONT_FILES ${ZELVANE_FONT_DIR}/${face})
endforeach()

# The script asks cjk_charset for the characters and skips the (slow) subset
# when neither they, the source font nor the script changed since last time.
add_custom_command(
    OUTPUT ${ZELVANE_FONT_DIR}/OrlavanChessCJK.ttf
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZELVANE_FONT_DIR}
    COMMAND ${ZELVANE_PYTHON3} ${CMAKE_SOURCE_DIR}/tools/make_cjk_font.py
        --charset-tool $<TARGET_FILE:cjk_charset>
        --source ${ZELVANE_NOTO_CJK}
        --output ${ZELVANE_FONT_DIR}/OrlavanChessCJK.ttf
    DEPENDS cjk_charset ${CMAKE_SOURCE_DIR}/tools/make_cjk_font.py ${ZELVANE_NOTO_CJK}
    COMMENT "Making OrlavanChessCJK.ttf"
    VERBATIM)
list(APPEND ZELVANE_FONT_FILES ${ZELVANE_FONT_DIR}/OrlavanChessCJK.ttf)

add_custom_target(zelvane_fonts ALL DEPENDS ${ZELVANE_FONT_FILES})
add_dependencies(zelvane zelvane_fonts)
add_dependencies(shoot zelvane_fonts)
add_dependencies(frame_bench zelvane_fonts)

# ---- install: the game in bin/, its assets where it looks for them ------------------
install(TARGETS zelvane RUNTIME DESTINATION bin)
install(DIRECTORY ${CMAKE_BINARY_DIR}/assets/ DESTINATION share/Zelvane/assets
    PATTERN "*.key" EXCLUDE
    PATTERN "DejaVuSans*.ttf" EXCLUDE)

# DejaVu Sans is not installed a second time but linked from the system's
# fonts (fonts-dejavu-core): relative when they lie inside the prefix, as in
# the package, so that the tree moves as one; absolute for any other prefix.
string(CONFIGURE [[
    set(dejavu "@ZELVANE_DEJAVU_DIR@")
    set(fonts "${CMAKE_INSTALL_PREFIX}/share/Zelvane/assets/fonts")
    string(FIND "${dejavu}/" "${CMAKE_INSTALL_PREFIX}/" inside)
    if(inside EQUAL 0)
        file(RELATIVE_PATH dejavu "${fonts}" "${dejavu}")
    endif()
    file(MAKE_DIRECTORY "$ENV{DESTDIR}${fonts}")
    foreach(face IN ITEMS DejaVuSans.ttf DejaVuSans-Bold.ttf)
        message(STATUS "Linking: $ENV{DESTDIR}${fonts}/${face} -> ${dejavu}/${face}")
        file(CREATE_LINK "${dejavu}/${face}" "$ENV{DESTDIR}${fonts}/${face}" SYMBOLIC)
    endforeach()
]] ZELVANE_FONT_LINK_CODE @ONLY)
install(CODE "${ZELVANE_FONT_LINK_CODE}")
