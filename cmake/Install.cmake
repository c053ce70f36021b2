# Shipped language files, flags and desktop integration, in the build tree and when installed.
include(GNUInstallDirs)

file(GLOB KV40812_LANGUAGE_FILES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/languages/*.lng ${PROJECT_SOURCE_DIR}/languages/*.bmp)

# The program finds the shipped languages relative to its own folder; the build tree mirrors
# the installed layout, so build/bin/kv40812 finds them the same way.
file(RELATIVE_PATH KV40812_SHIPPED_LANGUAGES
  ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/kv40812/languages)
target_compile_definitions(kv40812_core PRIVATE KV40812_SHIPPED_LANGUAGES="${KV40812_SHIPPED_LANGUAGES}")

cmake_path(ABSOLUTE_PATH KV40812_SHIPPED_LANGUAGES BASE_DIRECTORY ${CMAKE_BINARY_DIR}/bin NORMALIZE
  OUTPUT_VARIABLE KV40812_BUILD_LANGUAGES)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/languages.stamp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KV40812_BUILD_LANGUAGES}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KV40812_LANGUAGE_FILES} ${KV40812_BUILD_LANGUAGES}
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/languages.stamp
  DEPENDS ${KV40812_LANGUAGE_FILES}
  COMMENT "Copying the shipped languages to ${KV40812_BUILD_LANGUAGES}")
add_custom_target(kv40812_languages ALL DEPENDS ${CMAKE_BINARY_DIR}/languages.stamp)
add_dependencies(kv40812 kv40812_languages)

install(TARGETS kv40812 kv40812-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${KV40812_LANGUAGE_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/kv40812/languages)
# The desktop menu entry and its icon serve Linux desktops only.
if(NOT WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/desktop/kv40812.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/desktop/kv40812.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
