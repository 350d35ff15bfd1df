# Install rules and the Debian packages, in one place so that programs added
# later (guarded by if(TARGET ...)) join their package without further edits.
#
#   cmake --preset package && cmake --build --preset package
#   (cd build/package && cpack)      -> kiosk-devices, kiosk-devices-dev, kiosk-sim
#
# Components: devices (programs, runtime libraries, web console, service unit,
# udev rules, configuration), dev (headers, pkg-config and CMake package files,
# link names), sim (the simulator).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KQ_PACKAGE_VERSION 1.1.0)
set(KQ_SERVICE_USER kioskdev)
set(kq_packaging ${CMAKE_SOURCE_DIR}/packaging)
set(kq_generated ${CMAKE_BINARY_DIR}/packaging)
set(kq_datadir ${CMAKE_INSTALL_DATADIR}/kiosk-devices)
set(kq_includedir ${CMAKE_INSTALL_INCLUDEDIR}/kiosk-devices)
set(kq_cmakedir ${CMAKE_INSTALL_LIBDIR}/cmake/KioskDevices)
# Installing into /usr (the packages), the unit and udev rules go below /lib and the
# configuration below /etc; any other prefix keeps them inside it.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(kq_systemlib /lib)
  set(kq_sysconfdir /etc)
else()
  set(kq_systemlib lib)
  set(kq_sysconfdir ${CMAKE_INSTALL_SYSCONFDIR})
endif()

# Programs of the kiosk-devices package.
foreach(program devhttpd ecptest devconsole cr80demo)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT devices)
  endif()
endforeach()
# The sample CR80 SDK that cr80demo finds by file name below its working directory.
if(TARGET KQCR80Printer)
  install(TARGETS KQCR80Printer LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/kiosk-devices/cr80
    COMPONENT devices)
endif()

# Shared libraries: the versioned file and soname link at run time, the link name
# for development. libdevsdk gets the soname libdevsdk.so.1 here unless sdk/ sets one.
get_target_property(kq_devsdk_soversion devsdk_shared SOVERSION)
if(NOT kq_devsdk_soversion)
  set_target_properties(devsdk_shared PROPERTIES VERSION 1.0.0 SOVERSION 1)
endif()
set(kq_libraries devsdk_shared kqCR80Printer cardpaint)
foreach(library ${kq_libraries})
  install(TARGETS ${library}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT devices NAMELINK_COMPONENT dev)
endforeach()

install(FILES sdk/core/include/devsdk.h sdk/link/include/devlink.h
  printer/include/kqCR80Printer.h printer/include/kqCR80PrinterJson.h
  draw/include/cardpaint.h draw/include/cardpaint_character.h draw/include/cardpaint_image.h
  DESTINATION ${kq_includedir} COMPONENT dev)

get_target_property(KQCR80_VERSION kqCR80Printer VERSION)
foreach(pc devsdk kqCR80Printer cardpaint)
  configure_file(${kq_packaging}/pkgconfig/${pc}.pc.in ${kq_generated}/pkgconfig/${pc}.pc @ONLY)
  install(FILES ${kq_generated}/pkgconfig/${pc}.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
endforeach()

set(KQ_CONFIG_LIBDIR ${CMAKE_INSTALL_LIBDIR})
set(KQ_CONFIG_INCLUDEDIR ${kq_includedir})
configure_package_config_file(${kq_packaging}/cmake/KioskDevicesConfig.cmake.in
  ${kq_generated}/cmake/KioskDevicesConfig.cmake
  INSTALL_DESTINATION ${kq_cmakedir}
  PATH_VARS KQ_CONFIG_LIBDIR KQ_CONFIG_INCLUDEDIR)
write_basic_package_version_file(${kq_generated}/cmake/KioskDevicesConfigVersion.cmake
  VERSION ${KQ_PACKAGE_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${kq_generated}/cmake/KioskDevicesConfig.cmake
  ${kq_generated}/cmake/KioskDevicesConfigVersion.cmake
  DESTINATION ${kq_cmakedir} COMPONENT dev)

# The service: document root, unit, device access, configuration.
install(DIRECTORY web/ DESTINATION ${kq_datadir}/web COMPONENT devices)
set(KQ_BINDIR_FULL ${CMAKE_INSTALL_FULL_BINDIR})
set(KQ_DATADIR_FULL ${CMAKE_INSTALL_PREFIX}/${kq_datadir})
set(KQ_SYSCONFDIR_FULL ${CMAKE_INSTALL_FULL_SYSCONFDIR})
configure_file(${kq_packaging}/devhttpd.service.in ${kq_generated}/devhttpd.service @ONLY)
configure_file(${kq_packaging}/60-kiosk-devices.rules.in ${kq_generated}/60-kiosk-devices.rules @ONLY)
install(FILES ${kq_generated}/devhttpd.service
  DESTINATION ${kq_systemlib}/systemd/system COMPONENT devices)
install(FILES ${kq_generated}/60-kiosk-devices.rules
  DESTINATION ${kq_systemlib}/udev/rules.d COMPONENT devices)
install(FILES ${kq_packaging}/devhttpd.conf
  DESTINATION ${kq_sysconfdir}/kiosk-devices COMPONENT devices)

if(TARGET kiosk-sim)
  install(TARGETS kiosk-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT sim)
endif()

# Debian documentation files: copyright and the compressed changelog in every package.
set(kq_debian_packages devices:kiosk-devices dev:kiosk-devices-dev sim:kiosk-sim)
execute_process(COMMAND gzip -9 -n -c ${kq_packaging}/debian/changelog
  OUTPUT_FILE ${kq_generated}/changelog.gz RESULT_VARIABLE kq_gzip_result)
if(NOT kq_gzip_result EQUAL 0)
  message(FATAL_ERROR "gzip of packaging/debian/changelog failed")
endif()
foreach(entry ${kq_debian_packages})
  string(REPLACE ":" ";" entry ${entry})
  list(GET entry 0 component)
  list(GET entry 1 package)
  install(FILES ${kq_packaging}/debian/copyright ${kq_generated}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()

# Maintainer scripts of kiosk-devices, with the service user filled in.
foreach(script postinst prerm postrm)
  configure_file(${kq_packaging}/debian/${script}.in ${kq_generated}/debian/${script} @ONLY)
endforeach()
configure_file(${kq_packaging}/debian/conffiles.in ${kq_generated}/debian/conffiles @ONLY)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kiosk-devices)
set(CPACK_PACKAGE_VERSION ${KQ_PACKAGE_VERSION})
set(CPACK_PACKAGE_VENDOR "Kiosk device software")
set(CPACK_PACKAGE_CONTACT "Kiosk device software team <kiosk-devices@example.org>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL devices dev sim)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# shlibs file and ldconfig trigger for the packages holding shared libraries.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_DEBIAN_DEVICES_PACKAGE_NAME kiosk-devices)
set(CPACK_DEBIAN_DEVICES_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_DEVICES_PACKAGE_DEPENDS "adduser")
set(CPACK_DEBIAN_DEVICES_PACKAGE_CONTROL_EXTRA
  "${kq_generated}/debian/postinst;${kq_generated}/debian/prerm;${kq_generated}/debian/postrm;${kq_generated}/debian/conffiles;${kq_packaging}/debian/triggers")
set(CPACK_COMPONENT_DEVICES_DESCRIPTION
  "Kiosk device software: HTTP device service, drivers and consoles
The device software of self-service card-issuing kiosks: devhttpd, the local
HTTP service publishing the device SDK (started by systemd as devhttpd.service,
listening on 127.0.0.1 by default), the shared libraries libdevsdk (mechanism
boards), libkqCR80Printer (rewritable card printer) and libcardpaint (card
pictures), the bench consoles, and udev rules giving the service access to
the boards and the printer.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME kiosk-devices-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEV_DEPENDS devices)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libmagick++-dev")
set(CPACK_COMPONENT_DEV_DESCRIPTION
  "Kiosk device software: development files
C headers, pkg-config files (devsdk, kqCR80Printer, cardpaint) and the CMake
package KioskDevices (find_package(KioskDevices) gives the imported targets
KioskDevices::devsdk, KioskDevices::kqCR80Printer, KioskDevices::cardpaint)
for kiosk applications that link the device libraries.")

set(CPACK_DEBIAN_SIM_PACKAGE_NAME kiosk-sim)
set(CPACK_DEBIAN_SIM_PACKAGE_SECTION devel)
# kiosk-sim re-executes itself under the umockdev preload library.
set(CPACK_DEBIAN_SIM_PACKAGE_DEPENDS "umockdev")
set(CPACK_COMPONENT_SIM_DESCRIPTION
  "Simulated kiosk for developing against the device software
kiosk-sim runs a program beside simulated mechanism boards and rewritable card
printers on a simulated USB bus and on pseudo-terminals, with faults and
operator actions, so that kiosk applications can be developed and tested
without a machine.")

include(CPack)
