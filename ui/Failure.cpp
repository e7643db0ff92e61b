#include "ui/Failure.h"

#include <windows.h>

#include <new>
#include <system_error>

#include "registry/RegistryError.h"

namespace ui {

FailureReport DescribeFailure(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const RegistryError& registryError) {
        return {registryError.Number(), registryError.Description()};
    } catch (const std::bad_alloc&) {
        return {7, "Out of memory"};
    } catch (const std::system_error& systemError) {
        return {systemError.code().value(), systemError.what()};
    } catch (const std::exception& other) {
        return {51, std::string("Internal error: ") + other.what()};
    } catch (...) {
        return {51, "Internal error"};
    }
}

void FailFast(std::exception_ptr error) noexcept {
    try {
        FailureReport report = DescribeFailure(error);
        std::string text = "Error " + std::to_string(report.number) + "\n\n" + report.description;
        MessageBoxA(nullptr, text.c_str(), "Quillmere", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    } catch (...) {
        // Not even the text could be built (out of memory): a fixed box still can.
        MessageBoxA(nullptr, "Error 7\n\nOut of memory", "Quillmere",
                    MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
    ExitProcess(1);
}

} // namespace ui
