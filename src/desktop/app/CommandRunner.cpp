#include "desktop/app/CommandRunner.h"

#include "app/PocketCommand.h"
#include "desktop/app/DesktopModel.h"
#include "desktop/app/SingleInstance.h"
#include "platform/InstanceLock.h"
#include "platform/JsonFileDefaults.h"
#include "platform/Log.h"
#include "services/QtMainQueue.h"

#include <QCoreApplication>

#include <iostream>

namespace kestrane {

namespace {
int print(const CommandOutcome& outcome)
{
    (outcome.status == 0 ? std::cout : std::cerr) << outcome.output << std::flush;
    return outcome.status;
}

// The pockets as the edge will show them: the stored layout, else the pockets that hold
// items (the edge gives each a place again), else the first pocket it will make.
std::vector<Dropzone> pocketsOnDisk(const PocketStore& store)
{
    std::vector<Dropzone> pockets;
    if (const auto file = JsonFileDefaults::standardLocation()) {
        if (const auto data = JsonFileDefaults(*file).dataValue(BezelEngine::pocketsKey))
            pockets = decodePockets(*data).pockets;
    }
    if (!pockets.empty())
        return pockets;
    for (const Uuid& pocket : store.pocketsHoldingItems())
        pockets.push_back(Dropzone { pocket, "Pocket " + std::to_string(pockets.size() + 1) });
    if (pockets.empty())
        pockets.push_back(Dropzone { Uuid::random(), "Pocket 1" });
    return pockets;
}

bool isAdd(const PocketRequest& request, const CommandOutcome& outcome)
{
    return request.kind == PocketRequest::Kind::add && outcome.status == 0;
}

// Stores the request itself; an add succeeds only once its items are in the index on disk.
int runHere(const PocketRequest& request, const std::filesystem::path& dataFolder, int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QtMainQueue mainQueue;
    PocketStore store(dataFolder, mainQueue);
    if (request.kind == PocketRequest::Kind::add && store.indexUnreadable()) {
        logLine("Kestrane: nothing was added: the pocket index " + store.indexFile().string() + " cannot be read");
        return 1;
    }
    const CommandOutcome outcome = carryOut(request, pocketsOnDisk(store), store,
        [&store](const Uuid& pocket, const Pasteboard& pasteboard) { return store.ingest(pasteboard, pocket); });
    // A listing only reads: it never writes the index, which may not even be writable.
    if (request.kind == PocketRequest::Kind::add)
        store.referencePendingNow();
    if (!store.waitForWrites() && isAdd(request, outcome)) {
        logLine("Kestrane: nothing was added: the pocket index " + store.indexFile().string() + " could not be saved");
        return 1;
    }
    return print(outcome);
}
} // namespace

int runPocketRequest(const PocketRequest& request, const std::filesystem::path& dataFolder, int argc, char** argv)
{
    const SingleInstance::Turn turn = SingleInstance::awaitTurn(dataFolder, request.encode());
    if (turn.answer) {
        if (const auto outcome = CommandOutcome::decode(*turn.answer))
            return print(*outcome);
    } else if (turn.lock) {
        switch (turn.lock->status()) {
        case InstanceLock::Status::taken:
            return runHere(request, dataFolder, argc, argv);
        case InstanceLock::Status::unavailable:
            // No lock can be had because nothing can write the folder: listing only reads it.
            if (request.kind == PocketRequest::Kind::list)
                return runHere(request, dataFolder, argc, argv);
            [[fallthrough]];
        case InstanceLock::Status::held:
        case InstanceLock::Status::refused:
            logLine(turn.lock->reason());
            return 1;
        }
    }
    logLine("Kestrane: the running copy did not answer; nothing was done");
    return 1;
}

std::optional<int> runWithoutWindow(const CommandLine& command, int argc, char** argv)
{
    switch (command.action) {
    case CommandLine::Action::run:
        return std::nullopt;
    case CommandLine::Action::help:
        std::cout << usageText();
        return 0;
    case CommandLine::Action::version:
        std::cout << versionText();
        return 0;
    case CommandLine::Action::invalid:
        std::cerr << "kestrane: " << command.error << "\n\n" << usageText();
        return 2;
    case CommandLine::Action::request:
        break;
    }
    const auto dataFolder = PocketStore::standardDirectory();
    if (!dataFolder) {
        logLine("Kestrane: no folder for the pockets (neither XDG_DATA_HOME nor HOME is set)");
        return 1;
    }
    return runPocketRequest(command.request, *dataFolder, argc, argv);
}

std::string answerPocketRequest(const std::string& line, DesktopModel& model)
{
    const auto request = PocketRequest::decode(line);
    if (!request)
        return CommandOutcome { 1, "Kestrane: the running copy did not understand the request\n" }.encode();
    std::vector<Dropzone> pockets;
    for (const BlobRuntime& pocket : model.engine().state().blobs) {
        if (pocket.isLiving())
            pockets.push_back(pocket.config);
    }
    const CommandOutcome outcome = carryOut(*request, pockets, model.store(),
        [&model](const Uuid& pocket, const Pasteboard& pasteboard) { return model.engine().swallowInto(pocket, pasteboard); });
    // The caller is answered only once the items are on disk, so an answered add survives a crash.
    if (isAdd(*request, outcome) && !model.store().waitForWrites())
        return CommandOutcome { 1, "Kestrane: the running copy took the items but cannot save them; they are kept only until it quits\n" }
            .encode();
    return outcome.encode();
}

} // namespace kestrane
