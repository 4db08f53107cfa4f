# `make install` and `make uninstall`, into folders of the build tree.
add_test(NAME install_and_uninstall
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DBUILD=${CMAKE_BINARY_DIR}
          -DWORK=${CMAKE_BINARY_DIR}/install-test -P ${CMAKE_CURRENT_LIST_DIR}/scripts/install_check.cmake)
