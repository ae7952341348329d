# End-to-end tests of the Linux backend: the real trayvane binary with real
# tray clients on a private session bus and X server.
include(${CMAKE_CURRENT_SOURCE_DIR}/../fixtures/sni_client.cmake)
