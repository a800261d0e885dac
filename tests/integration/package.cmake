# The install rules and the Debian package, checked from the build the other tests use. Every test
# that installs from build/ takes the lock: an install rewrites build/install_manifest.txt.
add_test(NAME install_files COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/install.sh)
set_tests_properties(install_files PROPERTIES LABELS "integration;package" TIMEOUT 120 RESOURCE_LOCK zarvo_install
    ENVIRONMENT "ZARVO_BUILD_DIR=${PROJECT_BINARY_DIR};ZARVO_VERSION=${PROJECT_VERSION}")
add_test(NAME package_deb COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/integration/package.sh)
set_tests_properties(package_deb PROPERTIES LABELS "integration;package" TIMEOUT 300 RESOURCE_LOCK zarvo_install
    ENVIRONMENT "ZARVO_BUILD_DIR=${PROJECT_BINARY_DIR};ZARVO_VERSION=${PROJECT_VERSION}")
