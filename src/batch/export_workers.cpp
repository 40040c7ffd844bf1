#include "batch/export_workers.h"

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "archive/archive.h"
#include "export/player_export.h"
#include "platform/atomic_file.h"
#include "platform/guarded.h"
#include "rig/assembly.h"
#include "looks/palettes.h"
#include "looks/skins.h"
#include "platform/error_log.h"
#include "platform/file_bytes.h"
#include "platform/paths.h"

namespace {

// What the workers share with the process that runs them.
struct Shared {
    std::atomic<int> next{0};   // the next of the todo list to take
    std::atomic<int> stop{0};   // asked to stop: take no more
};

Shared* shared = nullptr;

void AskToStop(int)
{
    shared->stop.store(1);
}

bool WriteItem(const BatchExportCommand& request, const ExportItem& item, ItemOutcome& outcome)
{
    GatheredReports reports;
    SkinFilesOnly files;  // a PNG skin is written as it is; the thumbnail reads it again
    std::string output = OutputOf(request, item);
    std::error_code fault;
    std::filesystem::create_directories(DirectoryOf(output), fault);
    if (fault) {
        outcome.error = DirectoryOf(output) + ": " + fault.message();
        return false;
    }
    ExportRequest each = request.each;
    ExportSummary summary;
    each.output = output;
    each.summary = &summary;
    bool written = Guarded(
        [&]() {
            Assembly model;
            return LoadAssembly("tarnivel", item.source, item.holdsWeapon ? request.each.weapon : "", model) &&
                   ExportAssembly(model, each, outcome.error);
        },
        outcome.error);
    if (!written && outcome.error.empty())
        outcome.error = reports.FirstError();
    outcome.frames = summary.frames;
    outcome.animations = summary.animations;
    return written;
}

void DrawThumbnail(const BatchExportCommand& request, const ExportItem& item, PictureSession& session,
                   ItemOutcome& outcome)
{
    GatheredReports reports;
    PictureRequest picture;
    picture.model = item.source;
    picture.output = PictureOf(request, item);
    picture.width = picture.height = 256;
    picture.fieldOfView = 30;  // the thumbnailer's lens
    picture.textureSizeLimit = 512;
    picture.skin = request.each.skin;
    picture.skinName = request.each.skinName;
    picture.weapon = item.holdsWeapon ? request.each.weapon : "";
    std::error_code fault;
    std::filesystem::create_directories(DirectoryOf(picture.output), fault);
    std::string lacks;  // a thumbnail drawn untextured is still the model's picture
    bool drawn = Guarded([&]() { return RenderPicturesIn(session, picture, outcome.pictureError, lacks); },
                         outcome.pictureError);
    if (!drawn && outcome.pictureError.empty())
        outcome.pictureError = "not drawn";
}

// A field of one message line: no tab, no line end.
std::string Field(std::string text)
{
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\x1f')
            c = ' ';
    return text;
}

bool Send(int descriptor, const std::string& message)
{
    return WriteAllBytes(descriptor, message.data(), message.size());
}

// "S item" when an item is taken; "D item written frames error pictureError animations".
std::string Finished(int item, const ItemOutcome& outcome)
{
    std::string animations;
    for (size_t i = 0; i < outcome.animations.size(); ++i)
        animations += (i ? "\x1f" : "") + Field(outcome.animations[i]);
    return "D\t" + std::to_string(item) + "\t" + (outcome.written ? "1" : "0") + "\t" +
           std::to_string(outcome.frames) + "\t" + Field(outcome.error) + "\t" + Field(outcome.pictureError) +
           "\t" + animations + "\n";
}

[[noreturn]] void Work(const BatchExportCommand& request, const std::vector<ExportItem>& items,
                       const std::vector<int>& todo, int descriptor)
{
    // The run's stop comes from the process that runs it, once the model at hand is done.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        ::signal(signal, SIG_IGN);
    reportConsole = stderr;
    errorLog = nullptr;
    LoadMDLPalette();
    LoadMD2Palette();
    PictureSession session;
    while (!shared->stop.load()) {
        int k = shared->next.fetch_add(1);
        if (k >= static_cast<int>(todo.size()))
            break;
        int i = todo[k];
        if (!Send(descriptor, "S\t" + std::to_string(i) + "\n"))
            break;
        // The tests' way to see a worker die: one that meets a model so named aborts.
        const char* dies = getenv("TARNIVEL_TEST_ABORT_ON");
        if (dies && *dies && items[i].name.find(dies) != std::string::npos)
            abort();
        ItemOutcome outcome = ExportOneItem(request, items[i], session);
        if (!Send(descriptor, Finished(i, outcome)))
            break;
    }
    ClosePictureSession(session);
    close(descriptor);
    // A worker ends as a process does (its libraries' exit handlers run);
    // what the parent had buffered was flushed before the fork.
    exit(0);
}

struct Worker {
    pid_t pid = -1;
    int descriptor = -1;
    std::string pending;  // bytes read past the last whole line
    int atHand = -1;      // the item it took and has not finished
};

void Handle(Worker& worker, const std::string& line, const WorkerEvents& events)
{
    std::vector<std::string> fields = SplitFields(line, '\t');
    if (fields.size() == 2 && fields[0] == "S") {
        worker.atHand = std::stoi(fields[1]);
        events.started(worker.atHand);
    } else if (fields.size() == 7 && fields[0] == "D") {
        ItemOutcome outcome;
        outcome.written = fields[2] == "1";
        outcome.frames = std::stoi(fields[3]);
        outcome.error = fields[4];
        outcome.pictureError = fields[5];
        if (!fields[6].empty())
            outcome.animations = SplitFields(fields[6], '\x1f');
        worker.atHand = -1;
        events.finished(std::stoi(fields[1]), outcome);
    }
}

// Reads what the worker sent; false once it has closed its end.
bool Read(Worker& worker, const WorkerEvents& events)
{
    char buffer[65536];
    ssize_t n = read(worker.descriptor, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
        return true;
    if (n <= 0)
        return false;
    worker.pending.append(buffer, static_cast<size_t>(n));
    for (size_t end; (end = worker.pending.find('\n')) != std::string::npos;) {
        Handle(worker, worker.pending.substr(0, end), events);
        worker.pending.erase(0, end + 1);
    }
    return true;
}

// A worker that died with a model at hand: the model failed, and the
// temporary files it was writing go (not the other workers').
void Bury(Worker& worker, const BatchExportCommand& request, const std::vector<ExportItem>& items,
          const WorkerEvents& events)
{
    int status = 0;
    waitpid(worker.pid, &status, 0);
    if (worker.atHand < 0)
        return;
    const ExportItem& item = items[worker.atHand];
    std::string own = TemporaryPrefix(worker.pid);
    for (const std::string& folder : {DirectoryOf(OutputOf(request, item)), DirectoryOf(PictureOf(request, item))}) {
        std::error_code fault;
        for (const auto& entry : std::filesystem::directory_iterator(folder, fault))
            if (entry.path().filename().string().compare(0, own.size(), own) == 0)
                std::filesystem::remove(entry.path(), fault);
    }
    ItemOutcome outcome;
    outcome.error = WIFSIGNALED(status) ? std::string("its export ended with ") + strsignal(WTERMSIG(status))
                                        : "its export ended before it was written";
    events.finished(worker.atHand, outcome);
}

}  // namespace

std::string OutputOf(const BatchExportCommand& request, const ExportItem& item)
{
    return request.folder + item.name + "." + request.extension;
}

std::string PictureOf(const BatchExportCommand& request, const ExportItem& item)
{
    return request.folder + "gallery/" + item.name + ".png";
}

ItemOutcome ExportOneItem(const BatchExportCommand& request, const ExportItem& item, PictureSession& session)
{
    ItemOutcome outcome;
    outcome.written = WriteItem(request, item, outcome);
    if (outcome.written && request.gallery)
        DrawThumbnail(request, item, session, outcome);
    return outcome;
}

namespace {

// A new worker taking models from the shared counter; false when none could be started.
bool StartWorker(const BatchExportCommand& request, const std::vector<ExportItem>& items, const std::vector<int>& todo,
                 std::vector<Worker>& workers)
{
    int ends[2];
    if (pipe(ends) != 0)
        return false;
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        close(ends[0]);
        for (const Worker& other : workers)
            if (other.descriptor >= 0)
                close(other.descriptor);
        Work(request, items, todo, ends[1]);
    }
    close(ends[1]);
    if (pid < 0) {
        close(ends[0]);
        return false;
    }
    Worker worker;
    worker.pid = pid;
    worker.descriptor = ends[0];
    workers.push_back(worker);
    return true;
}

// Models no worker has taken yet, while the run is not stopped.
bool WorkLeft(const std::vector<int>& todo)
{
    return !shared->stop.load() && shared->next.load() < static_cast<int>(todo.size());
}

}  // namespace

bool RunWorkers(const BatchExportCommand& request, const std::vector<ExportItem>& items, const std::vector<int>& todo,
                int jobs, const WorkerEvents& events)
{
    void* memory = mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return false;
    shared = new (memory) Shared;
    struct sigaction action = {}, saved[3];
    action.sa_handler = AskToStop;
    sigemptyset(&action.sa_mask);
    const int signals[3] = {SIGINT, SIGTERM, SIGHUP};
    for (int s = 0; s < 3; ++s)
        sigaction(signals[s], &action, &saved[s]);
    // Archives opened here would share their file positions with every worker.
    ClearArchiveCache();
    std::vector<Worker> workers;
    for (int w = 0; w < jobs && w < static_cast<int>(todo.size()); ++w)
        if (!StartWorker(request, items, todo, workers))
            break;
    size_t open = workers.size();
    while (open > 0) {
        std::vector<pollfd> polls;
        for (const Worker& worker : workers)
            if (worker.descriptor >= 0)
                polls.push_back({worker.descriptor, POLLIN, 0});
        if (poll(polls.data(), polls.size(), 250) <= 0) {
            events.waiting();
            continue;
        }
        size_t count = workers.size();  // a worker started below is polled from the next round
        for (size_t w = 0; w < count; ++w) {
            Worker& worker = workers[w];
            if (worker.descriptor < 0)
                continue;
            auto it = std::find_if(polls.begin(), polls.end(), [&](const pollfd& p) { return p.fd == worker.descriptor; });
            if (it == polls.end() || !it->revents || Read(worker, events))
                continue;
            close(worker.descriptor);
            worker.descriptor = -1;
            --open;
            Bury(worker, request, items, events);
            // One that died with models left is replaced: the others go on either way.
            if (WorkLeft(todo) && StartWorker(request, items, todo, workers))
                ++open;
        }
    }
    bool stopped = shared->stop.load() != 0;
    for (int s = 0; s < 3; ++s)
        sigaction(signals[s], &saved[s], nullptr);
    munmap(memory, sizeof(Shared));
    shared = nullptr;
    return stopped;
}
