# What `cmake --install` puts beside the executables: the static libraries
# beside the core (the point-set, profile, statistics, uncertainty and
# tolerance libraries and formeval's own evaluations) with the core's libraries they
# are built on, their public headers under include/formeval/, the CMake
# package (find_package(formeval) gives formeval::pointset,
# formeval::profile, formeval::statistics, formeval::methods,
# formeval::uncertainty and formeval::tolerance) and the pkg-config file formeval.pc.
include(CMakePackageConfigHelpers)

# The public libraries (formeval_public) and every library they use, in turn (formeval_library
# ... USES), in the order they were declared: each after those it uses.
set(wanted "")
set(todo ${formeval_public})
while(todo)
    list(POP_FRONT todo name)
    if(NOT name IN_LIST wanted)
        list(APPEND wanted ${name})
        get_property(uses GLOBAL PROPERTY FORMEVAL_USES_${name})
        list(APPEND todo ${uses})
    endif()
endwhile()
get_property(layers GLOBAL PROPERTY FORMEVAL_LAYERS)
set(installed "")
set(targets "")
foreach(name IN LISTS layers)
    if(name IN_LIST wanted)
        list(APPEND installed ${name})
        get_property(target GLOBAL PROPERTY FORMEVAL_TARGET_${name})
        list(APPEND targets ${target})
    endif()
endforeach()
install(TARGETS ${targets} EXPORT formevalTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
foreach(name IN LISTS formeval_public)
    get_property(folder GLOBAL PROPERTY FORMEVAL_FOLDER_${name})
    install(FILES ${folder}/${name}.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/formeval/${name})
endforeach()

set(packagedir ${CMAKE_INSTALL_LIBDIR}/cmake/formeval)
install(EXPORT formevalTargets NAMESPACE formeval:: DESTINATION ${packagedir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/formevalConfig.cmake.in
    ${PROJECT_BINARY_DIR}/formevalConfig.cmake INSTALL_DESTINATION ${packagedir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/formevalConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/formevalConfig.cmake
    ${PROJECT_BINARY_DIR}/formevalConfigVersion.cmake DESTINATION ${packagedir})

# pkg-config: the libraries in link order (each before those it uses: the
# order of their declaration, reversed), then what the static libraries need
# (GMP and MPFR under CGAL's predicates; FFTW; the threads of the
# uncertainty library). The prefix is found from the file's own place, so the
# file holds for any install prefix.
set(pkgconfigdir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH pc_up /formeval-root/${pkgconfigdir} /formeval-root)
string(REGEX REPLACE "/$" "" pc_up "${pc_up}")
set(pc_libs "")
list(REVERSE targets)
foreach(target IN LISTS targets)
    string(APPEND pc_libs " -l${target}")
endforeach()
set(pc_requires "")
if(FORMEVAL_EXACT_REFERENCES)
    string(APPEND pc_libs " -lgmp -lmpfr")
endif()
string(APPEND pc_libs " -pthread")
if(FORMEVAL_SPECTRAL)
    set(pc_requires "fftw3")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/formeval.pc.in ${PROJECT_BINARY_DIR}/formeval.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/formeval.pc DESTINATION ${pkgconfigdir})
