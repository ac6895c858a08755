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

async function missingFile() {
    for (const name of ["tervalo.wasm"]) {
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
                onLoaded: () => { loaded = true; },
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
if ("serviceWorker" in navigator && location.protocol !== "file:")
    navigator.serviceWorker.register("service-worker.js").catch(error => console.warn(error));

start();
