# Install rules of the two programs. The helper programs (tunvale-screenshot, the tests, the
# benchmarks and the fuzzers) have none, so `cmake --install` and the package leave them out.
install(TARGETS tunvale-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tunvale)
  install(TARGETS tunvale RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
