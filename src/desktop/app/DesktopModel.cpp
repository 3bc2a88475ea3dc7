#include "desktop/app/DesktopModel.h"

#include "platform/JsonFileDefaults.h"
#include "platform/Log.h"
#include "platform/MemoryDefaults.h"

#include <filesystem>

namespace kestrane {

namespace {
std::unique_ptr<Defaults> openDefaults()
{
    if (auto file = JsonFileDefaults::standardLocation())
        return std::make_unique<JsonFileDefaults>(*file);
    logLine("Kestrane: no home folder for the settings; they are kept in memory this launch");
    return std::make_unique<MemoryDefaults>();
}

std::filesystem::path programPath()
{
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path("kestrane") : path;
}
} // namespace

DesktopModel::DesktopModel(EngineTrace clearingTrace, const std::filesystem::path& dataFolder)
    : defaults_(openDefaults())
    , store_(dataFolder, mainQueue_)
    , loginItem_(programPath())
    , preferences_(*defaults_, loginItem_, notifications_, [this] { requestStep(); })
    , haptics_(preferences_, uptime_, hapticSink_)
    , introduction_(*defaults_, [this] { requestStep(); })
    , engine_(std::make_unique<BezelEngine>(EngineServices {
          *defaults_, uptime_, haptics_, store_, preferences_, preferences_, introduction_, std::move(clearingTrace), [this] {
              if (changeListener_)
                  changeListener_();
          } }))
{
    steppedEngine_ = engine_.get();
}

void DesktopModel::requestStep()
{
    if (steppedEngine_)
        steppedEngine_->requestStep();
}

} // namespace kestrane
