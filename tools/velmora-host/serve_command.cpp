// velmora-host serve: the live preview. A web server on the loopback
// address answers the page built into the program and its requests; the
// module runs in a ServeSession on a thread of its own.
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

#include <httplib.h>

#include "tools/velmora-host/commands.h"
#include "tools/velmora-host/files.h"
#include "tools/velmora-host/module_session.h"
#include "tools/velmora-host/picture.h"
#include "tools/velmora-host/sample.h"
#include "tools/velmora-host/serve_guard.h"
#include "tools/velmora-host/serve_json.h"
#include "tools/velmora-host/serve_session.h"
#include "tools/velmora-host/web_files.h"

namespace velmora::cli {
namespace {

using httplib::Request;
using httplib::Response;

constexpr auto kLongPoll = std::chrono::seconds(20);
constexpr auto kDownloadWait = std::chrono::seconds(60);
constexpr size_t kMaxUpload = size_t(256) << 20;

void SendJson(Response& res, const std::string& json, int status = 200) {
    res.status = status;
    res.set_content(json, "application/json; charset=utf-8");
}

void SendResult(Response& res, const CommandResult& result) {
    SendJson(res, ResultJson(result), result.ok ? 200 : 422);
}

// Raw RGBA bytes with their size in headers: the page draws them as they are.
void SendPixels(Response& res, const Picture& picture, uint64_t id) {
    res.set_header("X-Width", std::to_string(picture.width));
    res.set_header("X-Height", std::to_string(picture.height));
    res.set_header("X-Id", std::to_string(id));
    res.set_content(reinterpret_cast<const char*>(picture.rgba.data()), picture.rgba.size(),
                    "application/octet-stream");
}

void Refuse(Response& res, const std::string& why) {
    res.status = 403;
    res.set_content("velmora-host refused this request: " + why + "\n", "text/plain; charset=utf-8");
}

std::string TokenOf(const Request& req) {
    if (req.has_param("token")) return req.get_param_value("token");
    return req.get_header_value("X-Velmora-Token");
}

// The page's files; the page itself carries the token into its own links.
void ServePage(httplib::Server& server, const std::string& token) {
    server.Get("/", [token](const Request&, Response& res) {
        const WebFile* page = FindWebFile("index.html");
        std::string html(page->bytes);
        const std::string mark = "@TOKEN@";
        for (size_t at = html.find(mark); at != std::string::npos; at = html.find(mark, at)) {
            html.replace(at, mark.size(), token);
        }
        res.set_header("Content-Security-Policy",
                       "default-src 'self'; img-src 'self' data: blob:; "
                       "connect-src 'self'; frame-ancestors 'none'");
        res.set_content(html, std::string(page->type));
    });
    for (const char* name : {"app.js", "style.css"}) {
        server.Get(std::string("/") + name, [name](const Request&, Response& res) {
            const WebFile* file = FindWebFile(name);
            res.set_content(std::string(file->bytes), std::string(file->type));
        });
    }
}

void ServeApi(httplib::Server& server, ServeSession& session) {
    server.Get("/api/state", [&session](const Request& req, Response& res) {
        uint64_t since = 0;
        if (req.has_param("since")) since = std::strtoull(req.get_param_value("since").c_str(), nullptr, 10);
        const ServeState state = req.has_param("wait") ? session.WaitForChange(since, kLongPoll)
                                                       : session.Snapshot();
        SendJson(res, StateJson(state));
    });
    server.Get("/api/frame", [&session](const Request&, Response& res) {
        const ServeFrame frame = session.Frame();
        if (frame.effect == nullptr) {
            SendJson(res, ErrorJson("nothing rendered yet"), 404);
            return;
        }
        res.set_header("X-Seq", std::to_string(frame.seq));
        res.set_header("X-Picture", std::to_string(frame.pictureId));
        SendPixels(res, *frame.effect, frame.id);
    });
    server.Get("/api/source", [&session](const Request&, Response& res) {
        const ServeState state = session.Snapshot();
        SendPixels(res, *session.Source(), state.pictureId);
    });
    server.Post("/api/edits", [&session](const Request& req, Response& res) {
        std::vector<PanelEdit> edits;
        std::string error;
        if (!EditsFromJson(req.body, session.Snapshot().panel, edits, error)) {
            SendJson(res, ErrorJson(error), 400);
            return;
        }
        SendJson(res, "{\"seq\":" + std::to_string(session.Edit(std::move(edits))) + "}");
    });
    server.Post("/api/colour", [&session](const Request& req, Response& res) {
        const std::optional<HostRgb> colour = ColourFromJson(req.body);
        if (!colour) {
            SendJson(res, ErrorJson("the body is {\"colour\": \"#RRGGBB\"}"), 400);
            return;
        }
        SendJson(res, "{\"seq\":" + std::to_string(session.SetColour(*colour)) + "}");
    });
    server.Post("/api/picture", [&session](const Request& req, Response& res) {
        const std::string name = req.has_param("name") ? req.get_param_value("name") : "picture.png";
        Picture picture;
        std::string error;
        if (!DecodePng(req.body, name, picture, error)) {
            SendJson(res, ErrorJson(error), 400);
            return;
        }
        SendResult(res, session.SetPicture(std::move(picture), name, PngChunk(req.body, "pHYs")));
    });
    server.Post("/api/save-preset", [&session](const Request&, Response& res) {
        SendResult(res, session.SavePreset());
    });
    server.Post("/api/preset", [&session](const Request& req, Response& res) {
        SendResult(res, session.AddPreset(req.get_param_value("name"), req.body));
    });
    server.Post("/api/guide", [&session](const Request& req, Response& res) {
        SendResult(res, session.AddGuide(req.get_param_value("name"), req.body));
    });
    server.Post("/api/language", [&session](const Request& req, Response& res) {
        const std::optional<bool> japanese = JapaneseFromJson(req.body);
        if (!japanese) {
            SendJson(res, ErrorJson("the body is {\"lang\": \"en\"} or {\"lang\": \"ja\"}"), 400);
            return;
        }
        SendResult(res, session.SetLanguage(*japanese));
    });
    // Downloads wait for the pass that shows every edit made before them,
    // then give the bytes `velmora-host render` writes for those settings.
    for (const bool composite : {false, true}) {
        const std::string name = composite ? "composite" : "effect";
        server.Get("/download/" + name + ".png", [&session, composite, name](const Request&,
                                                                             Response& res) {
            ServeFrame frame;
            if (!session.WaitUntilCurrent(kDownloadWait, frame)) {
                SendJson(res, ErrorJson("the effect is still rendering; try again"), 503);
                return;
            }
            // With the source's pixel density, as render writes them.
            const std::string png = WithChunkAfterHeader(
                EncodePng(composite ? CompositeOver(*frame.effect, *frame.source) : *frame.effect),
                frame.density);
            res.set_header("Content-Disposition",
                           "attachment; filename=\"velmora-" + name + ".png\"");
            res.set_content(png, "image/png");
        });
    }
}

// SIGINT, SIGTERM and SIGHUP, blocked in every thread and taken by sigwait.
sigset_t StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

int RunServe(const ServeOptions& o, const Console& console) {
    std::string error, png;
    Picture picture;
    const bool read = o.picture.empty()
                          ? DecodePng(SamplePng(), "bundled sample", picture, error)
                          : ReadInput(o.picture, png, error) &&
                                DecodePng(png, o.picture == "-" ? "standard input" : o.picture,
                                          picture, error);
    if (!read) return console.Fail(kExitFailed, error);

    // A browser that drops a connection while a reply is being written must
    // not end the server: the write fails instead.
    std::signal(SIGPIPE, SIG_IGN);
    // Signals are taken by this thread alone; every thread started from here
    // inherits the mask.
    const sigset_t signals = StopSignals();
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &signals, &previous);
    struct MaskBack {
        sigset_t mask;
        ~MaskBack() { pthread_sigmask(SIG_SETMASK, &mask, nullptr); }
    } maskBack{previous};

    ServeSession::Options options;
    options.modulePath = ModulePath(o.module);
    options.picture = std::move(picture);
    options.pictureName = o.picture.empty() ? "sample.png"
                          : o.picture == "-" ? "standard input"
                                             : o.picture;
    options.pictureDensity = PngChunk(png, "pHYs");
    options.japanese = o.japanese;
    ServeSession session(std::move(options));
    if (!session.Start(error)) return console.Fail(kExitFailed, error);

    httplib::Server server;
    server.new_task_queue = [] { return new httplib::ThreadPool(16); };
    server.set_payload_max_length(kMaxUpload);
    // Small replies go out at once; waiting for an acknowledgement would add
    // tens of milliseconds to every edit.
    server.set_tcp_nodelay(true);
    server.set_default_headers({{"Cache-Control", "no-store"},
                                {"X-Content-Type-Options", "nosniff"},
                                {"Referrer-Policy", "no-referrer"},
                                {"X-Frame-Options", "DENY"}});
    server.set_exception_handler([](const Request&, Response& res, std::exception_ptr) {
        SendJson(res, ErrorJson("the server failed on this request"), 500);
    });

    int port = o.port;
    if (port == 0) {
        port = server.bind_to_any_port("127.0.0.1");
    } else if (!server.bind_to_port("127.0.0.1", port)) {
        port = -1;
    }
    if (port <= 0) {
        return console.Fail(kExitFailed, "cannot listen on 127.0.0.1:" + std::to_string(o.port) +
                                             " (is the port in use?)");
    }
    const std::string token = MakeToken();
    server.set_pre_routing_handler([token, port](const Request& req, Response& res) {
        if (!IsLoopbackHost(req.get_header_value("Host"), port)) {
            Refuse(res, "it names the host \"" + req.get_header_value("Host") +
                            "\", not this computer's loopback address");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (!TokenMatches(TokenOf(req), token)) {
            Refuse(res, "it lacks the key of the address velmora-host printed");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (req.has_header("Origin") && !IsOwnOrigin(req.get_header_value("Origin"), port)) {
            Refuse(res, "it comes from another site");
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    ServePage(server, token);
    ServeApi(server, session);

    std::thread listener([&server] {
        if (!server.listen_after_bind()) kill(getpid(), SIGTERM);
    });
    // The address is what the command is for: printed even when quiet.
    const std::string address =
        "http://127.0.0.1:" + std::to_string(port) + "/?token=" + token;
    if (console.quiet) {
        std::fprintf(console.out, "%s\n", address.c_str());
    } else {
        std::fprintf(console.out,
                     "velmora-host: the live preview is at\n"
                     "  %s\n"
                     "Open it in a browser on this computer; Ctrl+C stops the server.\n",
                     address.c_str());
    }
    std::fflush(console.out);

    int signal = 0;
    sigwait(&signals, &signal);
    session.Close();
    server.stop();
    listener.join();
    console.Note("the preview server stopped");
    return kExitOk;
}

}  // namespace velmora::cli
