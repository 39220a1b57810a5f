# cmake -DPROGRAM=FILE -DBUDGET_KIB=N -P CheckSize.cmake: fails when FILE is larger than N KiB.
file(SIZE "${PROGRAM}" size)
math(EXPR budget "${BUDGET_KIB} * 1024")
get_filename_component(name "${PROGRAM}" NAME)
if(size GREATER budget)
    # The program is removed, so that the next build links it again and meets the check again.
    file(REMOVE "${PROGRAM}")
    message(FATAL_ERROR "${name} is ${size} bytes, over its budget of ${BUDGET_KIB} KiB (${budget} bytes) in "
                        "cmake/SizeBudget.cmake")
endif()
message(STATUS "${name}: ${size} bytes of its ${budget}-byte budget")
