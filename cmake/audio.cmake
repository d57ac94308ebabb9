# Sound: the audio module and the generated sound assets.

if(NOT TARGET PkgConfig::SDL2)
    pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
endif()
pkg_check_modules(SDL2_MIXER REQUIRED IMPORTED_TARGET SDL2_mixer)
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc vorbis ogg)
# Only the tests decode the generated files again, to measure them.
pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)

add_library(zelvane_audio STATIC ${CMAKE_SOURCE_DIR}/src/platform/audio.cpp)
target_link_libraries(zelvane_audio PUBLIC zelvane_core PkgConfig::SDL2 PkgConfig::SDL2_MIXER)
if(TARGET zelvane_ui)
    target_link_libraries(zelvane_ui PUBLIC zelvane_audio)
endif()

# The sound generator, and the effects and music it writes at build time.
file(GLOB ZELVANE_SYNTH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/synth/*.cpp)
add_executable(synth ${ZELVANE_SYNTH_SOURCES})
target_include_directories(synth PRIVATE ${CMAKE_SOURCE_DIR}/tools)
target_link_libraries(synth PRIVATE PkgConfig::VORBISENC)

set(ZELVANE_AUDIO_DIR ${CMAKE_BINARY_DIR}/assets/audio)
set(ZELVANE_AUDIO_FILES
    sfx_click.ogg sfx_pickup.ogg sfx_illegal.ogg sfx_success.ogg
    sfx_star1.ogg sfx_star2.ogg sfx_star3.ogg
    sfx_drop_0.ogg sfx_drop_1.ogg sfx_drop_2.ogg sfx_drop_3.ogg sfx_drop_4.ogg
    sfx_drop_5.ogg sfx_drop_6.ogg sfx_drop_7.ogg sfx_drop_8.ogg sfx_drop_9.ogg
    sfx_drop_10.ogg sfx_drop_11.ogg sfx_drop_12.ogg sfx_drop_13.ogg sfx_drop_14.ogg
    bgm_calm.ogg)
list(TRANSFORM ZELVANE_AUDIO_FILES PREPEND ${ZELVANE_AUDIO_DIR}/ OUTPUT_VARIABLE ZELVANE_AUDIO_OUTPUTS)
add_custom_command(
    OUTPUT ${ZELVANE_AUDIO_OUTPUTS}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZELVANE_AUDIO_DIR}
    COMMAND synth ${ZELVANE_AUDIO_DIR}
    DEPENDS synth
    COMMENT "Synthesizing sound effects and music"
    VERBATIM)
add_custom_target(audio_assets ALL DEPENDS ${ZELVANE_AUDIO_OUTPUTS})

# The ui tests decode and measure the generated files, so they are built
# first. The test targets are defined after this file, hence the deferred call.
# (The assets are installed with the rest of build/assets by ui.cmake.)
function(zelvane_audio_test_setup)
    if(TARGET tests_ui)
        add_dependencies(tests_ui audio_assets)
        target_link_libraries(tests_ui PRIVATE PkgConfig::VORBISFILE)
    endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL zelvane_audio_test_setup)
