# Warnings for the project's own targets.
function(trayvane_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()
