# run(COMMAND ARGUMENTS...): runs a tool of the packaging and stops the script, with its output,
# when it fails.
function(run)
    execute_process(COMMAND ${ARGV} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        list(JOIN ARGV " " command)
        message(FATAL_ERROR "${command} failed (${status}):\n${output}")
    endif()
endfunction()
