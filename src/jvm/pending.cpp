// Temporary: replaced by the JVM hosting steps.
#include "classpath/class_path_builder.h"
#include "jvm/jvm_loader.h"
#include "jvm/jvm_options.h"
#include "jvm/main_class_invoker.h"
namespace launcher {
bool buildJvmOptions() {
    return !buildClassPath().empty();
}
bool loadJvmLibrary() {
    return false;
}
bool createJvm() {
    return false;
}
void destroyJvm() {}
MainInvocation invokeMainClass() {
    return MainInvocation::notFound;
}
}  // namespace launcher
