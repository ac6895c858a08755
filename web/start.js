// Starts the program in the page, and puts one sentence in its place when
// it cannot start or has ended. The program's own output (Qt's warnings)
// goes to the browser's console, as emscripten prints it by default.
"use strict";

const screen = document.getElementById("screen");
const message = document.getElementById("message");

function say(text) {
    screen.hidden = true;
    message.textContent = text;
    message.hidden = false;
}

// What a browser must have to run the program at all.
function missingFeature() {
    if (location.protocol === "file:")
        return "Tervalo non può partire da un file sul disco: mettete la cartella su un server web " +
            "(anche «python3 -m http.server» nella cartella) e apritene l'indirizzo.";
    if (typeof WebAssembly !== "object")
        return "Tervalo non può partire: questo browser non esegue WebAssembly.";
    if (typeof qtLoad !== "function")
        return "Tervalo non può partire: sul server manca il file qtloader.js.";
    if (typeof tervalo_entry !== "function")
        return "Tervalo non può partire: sul server manca il file tervalo.js.";
    return null;
}

// The program travels gzip-compressed (tervalo.wasm.gz), so that a visit
// costs the same from every server, compressing or not: the page
// decompresses it as it arrives and compiles it at once. A server that
// sends the file with Content-Encoding: gzip has had the browser decode it
// already, which the first bytes tell (a module begins with "\0asm", gzip
// with 1f 8b). Where that fails, the plain tervalo.wasm.
const compressedProgram = "tervalo.wasm.gz";
const plainProgram = "tervalo.wasm";

// body: the stream of the response, decompressed if it is still gzip.
async function decompressed(response) {
    const reader = response.body.getReader();
    const first = await reader.read();
    const stream = new ReadableStream({
        start(controller) {
            if (!first.done)
                controller.enqueue(first.value);
        },
        async pull(controller) {
            const { done, value } = await reader.read();
            if (done)
                controller.close();
            else
                controller.enqueue(value);
        },
        cancel(reason) {
            return reader.cancel(reason);
        },
    });
    const gzip = !first.done && first.value[0] === 0x1f && first.value[1] === 0x8b;
    return gzip ? stream.pipeThrough(new DecompressionStream("gzip")) : stream;
}

async function compile(response) {
    if (!response.ok)
        throw new Error(response.url + ": " + response.status);
    const wasm = new Response(await decompressed(response), { headers: { "Content-Type": "application/wasm" } });
    return WebAssembly.compileStreaming ? WebAssembly.compileStreaming(wasm)
                                        : WebAssembly.compile(await wasm.arrayBuffer());
}

async function program() {
    if (typeof DecompressionStream === "function" && typeof ReadableStream === "function") {
        try {
            return await compile(await fetch(compressedProgram));
        } catch (error) {
            console.warn(compressedProgram + ": " + error.message + "; loading " + plainProgram);
        }
    }
    return compile(await fetch(plainProgram));
}

// The program ends by unwinding its stack with an exception that carries its
// exit status; the runtime catches it where it called the program, but an
// exit reached from a browser event (the click on "Esci") finds no such
// caller and would reach the page as an uncaught exception. It is the
// program's normal end, which onExit below reports.
window.addEventListener("error", event => {
    if (event.error && event.error.name === "ExitStatus")
        event.preventDefault();
});

async function missingFile() {
    for (const name of [compressedProgram, plainProgram]) {
        try {
            const response = await fetch(name, { method: "HEAD" });
            if (!response.ok)
                return name;
        } catch (error) {
            return name;
        }
    }
    return null;
}

async function start() {
    const missing = missingFeature();
    if (missing) {
        say(missing);
        return;
    }
    const crashed = "Tervalo si è fermato per un errore. Ricaricate la pagina per aprirlo di nuovo.";
    // Whether the .wasm has been compiled and the runtime is up. Before that,
    // an abort is a failure to start: Qt's loader reports it as a crash first
    // and rejects its promise after, and only the catch below, which asks the
    // server, can name the missing file; saying "crash" in between would show
    // the wrong sentence for as long as that question takes.
    let loaded = false;
    try {
        await qtLoad({
            qt: {
                containerElements: [screen],
                entryFunction: tervalo_entry,
                module: program(),
                onLoaded: () => {
                    loaded = true;
                    keepForOffline();
                },
                onExit: exit => {
                    if (!exit.crashed)
                        say("Tervalo è stato chiuso. Ricaricate la pagina per aprirlo di nuovo.");
                    else if (loaded)
                        say(crashed);
                },
            },
        });
        translateReaderButtons();
    } catch (error) {
        console.error(error);
        if (loaded) {
            say(crashed);
            return;
        }
        const file = await missingFile();
        say(file ? "Tervalo non può partire: sul server manca il file " + file + "."
                 : "Tervalo non può partire: questo browser non è riuscito a caricarlo (" + error.message + ").");
    }
}

// Qt's accessibility layer puts a hidden button first in each window, which
// a screen reader's user presses to have the form read aloud; it speaks the
// interface's language, like every other name in the window. Qt keeps its
// windows in a shadow tree inside the screen element.
function translateReaderButtons() {
    const root = screen.firstElementChild && screen.firstElementChild.shadowRoot;
    if (!root)
        return;
    const relabel = () => {
        for (const button of root.querySelectorAll("button.hidden-visually-read-by-screen-reader")) {
            if (button.textContent !== "Attiva il lettore di schermo")
                button.textContent = "Attiva il lettore di schermo";
        }
    };
    relabel();
    new MutationObserver(relabel).observe(root, { childList: true, subtree: true });
}

// After one visit the site is kept by the browser, and opens with no network.
// The worker is registered once the program is running, so that the files
// it keeps are those this visit has just fetched, each confirmed by the
// server at no second download. Its own script is always asked of the
// server, so a new version of the site is found at the next visit. Only a
// secure origin (https, or this machine) has workers.
function keepForOffline() {
    if ("serviceWorker" in navigator)
        navigator.serviceWorker.register("service-worker.js", { updateViaCache: "none" })
            .catch(error => console.warn(error));
}

start();
