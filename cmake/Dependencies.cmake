# Third-party libraries, all from Debian packages.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

pkg_check_modules(LIBUSB REQUIRED IMPORTED_TARGET libusb-1.0)
pkg_check_modules(JSONCPP REQUIRED IMPORTED_TARGET jsoncpp)
pkg_check_modules(LOG4CPP REQUIRED IMPORTED_TARGET log4cpp)

# mbed TLS 2.28 ships no pkg-config file on Debian 12.
find_library(MBEDCRYPTO_LIB mbedcrypto REQUIRED)
find_path(MBEDTLS_INCLUDE_DIR mbedtls/des.h REQUIRED)
add_library(kq_mbedcrypto INTERFACE)
target_link_libraries(kq_mbedcrypto INTERFACE ${MBEDCRYPTO_LIB})
target_include_directories(kq_mbedcrypto INTERFACE ${MBEDTLS_INCLUDE_DIR})

# Boost.Beast and Boost.Asio, header-only: the web server's engine.
find_package(Boost 1.74 REQUIRED)
add_library(kq_boost INTERFACE)
target_link_libraries(kq_boost INTERFACE Boost::headers Threads::Threads)
target_compile_definitions(kq_boost INTERFACE BOOST_ASIO_NO_DEPRECATED)

find_package(GTest)
