# Installs the framework library, the runtime and their headers as a CMake package:
#   find_package(VellFramework) then target_link_libraries(app PRIVATE Vell::framework)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VELL_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/VellFramework")

set_target_properties(vell_framework PROPERTIES EXPORT_NAME framework)
set_target_properties(vell_compile_options PROPERTIES EXPORT_NAME compile_options)
set_target_properties(vell_subprocess PROPERTIES EXPORT_NAME subprocess)

install(TARGETS vell_framework cefcompat vell_compile_options vell_subprocess
  EXPORT VellFrameworkTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vell)

install(DIRECTORY src/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vell
  FILES_MATCHING PATTERN "*.h")
install(DIRECTORY cefcompat/include DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vell/cefcompat
  FILES_MATCHING PATTERN "*.h")

install(EXPORT VellFrameworkTargets NAMESPACE Vell:: DESTINATION ${VELL_CMAKE_DIR})

configure_package_config_file(cmake/VellFrameworkConfig.cmake.in
  "${PROJECT_BINARY_DIR}/VellFrameworkConfig.cmake"
  INSTALL_DESTINATION ${VELL_CMAKE_DIR})
write_basic_package_version_file("${PROJECT_BINARY_DIR}/VellFrameworkConfigVersion.cmake"
  COMPATIBILITY SameMinorVersion)
install(FILES "${PROJECT_BINARY_DIR}/VellFrameworkConfig.cmake"
  "${PROJECT_BINARY_DIR}/VellFrameworkConfigVersion.cmake"
  DESTINATION ${VELL_CMAKE_DIR})
