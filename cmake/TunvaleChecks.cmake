# Checks of the tree and of the installation, run by ctest beside the unit tests.

# No file includes a header of a higher layer (and the check itself catches each kind of fault).
add_test(NAME include_layers
  COMMAND ${CMAKE_COMMAND} -DROOT=${TUNVALE_ROOT} -P ${TUNVALE_ROOT}/tests/layers/check_include_layers.cmake)
add_test(NAME include_layers_check_finds_violations
  COMMAND ${CMAKE_COMMAND} -DCHECKER=${TUNVALE_ROOT}/tests/layers/check_include_layers.cmake
          -DWORK=${CMAKE_BINARY_DIR}/tests/layers-fixture
          -P ${TUNVALE_ROOT}/tests/layers/check_include_layers_test.cmake)

# The package mirror a new root is made from is read from apt's sources as apt reads them.
if(UNIX)
  add_test(NAME apt_mirror COMMAND bash ${TUNVALE_ROOT}/tests/install/apt_mirror_test.sh ${TUNVALE_ROOT})
endif()

# `cmake --install` into a temporary prefix gives a complete, valid Linux installation.
if(UNIX AND NOT APPLE)
  if(TARGET tunvale)
    set(with_dialog 1)
  else()
    set(with_dialog 0)
  endif()
  add_test(NAME install_tree
    COMMAND bash ${TUNVALE_ROOT}/tests/install/check_install.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION}
            ${TUNVALE_APP_ID} ${with_dialog})
endif()
