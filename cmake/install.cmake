# What `cmake --install` puts beside the executables: the static libraries of
# the point-set, profile and statistics libraries and of formeval's own
# evaluations (with the core libraries these are built on), their public
# headers under include/formeval/, the CMake package (find_package(formeval)
# gives formeval::pointset, formeval::profile, formeval::statistics and
# formeval::methods) and the pkg-config file formeval.pc.
include(CMakePackageConfigHelpers)

set(formeval_public pointset profile statistics methods)
set(formeval_corelibs base linalg fit form circles)
set(targets "")
foreach(lib IN LISTS formeval_public formeval_corelibs)
    list(APPEND targets formeval_${lib})
endforeach()
install(TARGETS ${targets} EXPORT formevalTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(lib IN LISTS formeval_public)
    install(FILES ${PROJECT_SOURCE_DIR}/${lib}/${lib}.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/formeval/${lib})
endforeach()

set(packagedir ${CMAKE_INSTALL_LIBDIR}/cmake/formeval)
install(EXPORT formevalTargets NAMESPACE formeval:: DESTINATION ${packagedir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/formevalConfig.cmake.in
    ${PROJECT_BINARY_DIR}/formevalConfig.cmake INSTALL_DESTINATION ${packagedir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/formevalConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/formevalConfig.cmake
    ${PROJECT_BINARY_DIR}/formevalConfigVersion.cmake DESTINATION ${packagedir})

# pkg-config: the libraries in link order (each before those it uses), then what the static libraries
# need (GMP and MPFR under CGAL's predicates; FFTW). The prefix is
# found from the file's own place, so the file holds for any install prefix.
set(pkgconfigdir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH pc_up /formeval-root/${pkgconfigdir} /formeval-root)
string(REGEX REPLACE "/$" "" pc_up "${pc_up}")
set(pc_libs "")
foreach(lib methods circles form fit linalg base pointset profile statistics)
    string(APPEND pc_libs " -lformeval_${lib}")
endforeach()
set(pc_requires "")
if(FORMEVAL_EXACT_REFERENCES)
    string(APPEND pc_libs " -lgmp -lmpfr")
endif()
if(FORMEVAL_SPECTRAL)
    set(pc_requires "fftw3")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/formeval.pc.in ${PROJECT_BINARY_DIR}/formeval.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/formeval.pc DESTINATION ${pkgconfigdir})
