"""The web servers the site meets, each started on 127.0.0.1 by the checks
in a folder of its own, with what its Debian package ships as settings:
Python's http.server, nginx and Apache. Each stands behind a relay that
counts every byte the server sends, so that what a visit costs is measured
where the server sends it, the service worker's own fetches included.
"""

import pathlib
import shutil
import socket
import subprocess
import tempfile
import threading
import time

START_SECONDS = 15


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for_port(port, process, name):
    deadline = time.monotonic() + START_SECONDS
    while time.monotonic() < deadline:
        if process.poll() is not None:
            raise RuntimeError("%s stopped at start (status %d)" % (name, process.returncode))
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return
        except OSError:
            time.sleep(0.1)
    raise RuntimeError("%s did not answer on port %d" % (name, port))


class CountingRelay:
    """Passes connections on 127.0.0.1 to PORT and counts what comes back."""

    def __init__(self, port):
        self.sent = 0
        self.lock = threading.Lock()
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.port = self.listener.getsockname()[1]
        self.target = port
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            try:
                client, _ = self.listener.accept()
            except OSError:
                return
            try:
                server = socket.create_connection(("127.0.0.1", self.target))
            except OSError:
                # The server is gone (a check of the page offline).
                client.close()
                continue
            threading.Thread(target=self._pipe, args=(client, server, False), daemon=True).start()
            threading.Thread(target=self._pipe, args=(server, client, True), daemon=True).start()

    def _pipe(self, source, sink, counted):
        try:
            while True:
                data = source.recv(65536)
                if not data:
                    break
                if counted:
                    with self.lock:
                        self.sent += len(data)
                sink.sendall(data)
        except OSError:
            pass
        finally:
            for end in (source, sink):
                try:
                    end.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass

    def take(self):
        """Bytes sent since the last call."""
        with self.lock:
            sent, self.sent = self.sent, 0
        return sent

    def close(self):
        self.listener.close()


class Server:
    """KIND (python, nginx or apache) serving ROOT on a port of its own, with
    its relay; url is the relay's address."""

    def __init__(self, kind, root):
        self.kind = kind
        self.work = pathlib.Path(tempfile.mkdtemp(prefix="tervalo-%s-" % kind))
        self.work.chmod(0o755)
        port = free_port()
        root = pathlib.Path(root).resolve()
        if kind == "python":
            command = ["python3", "-m", "http.server", "--bind", "127.0.0.1", "--directory", str(root), str(port)]
        elif kind == "nginx":
            command = self._nginx(root, port)
        elif kind == "apache":
            command = self._apache(root, port)
        else:
            raise ValueError(kind)
        self.log = open(self.work / "server.log", "w")
        self.process = subprocess.Popen(command, stdout=self.log, stderr=subprocess.STDOUT, env=self.environment)
        try:
            wait_for_port(port, self.process, kind)
        except RuntimeError:
            self.close()
            raise
        self.relay = CountingRelay(port)
        self.url = "http://127.0.0.1:%d/" % self.relay.port

    environment = None

    def _nginx(self, root, port):
        # The shipped nginx.conf with its http settings (gzip on, the MIME
        # types), its sites replaced by one server of the root on this port.
        conf = pathlib.Path("/etc/nginx/nginx.conf").read_text()
        server = ("server { listen 127.0.0.1:%d; root %s; index index.html;"
                  " access_log %s/access.log; }" % (port, root, self.work))
        conf = conf.replace("include /etc/nginx/sites-enabled/*;", server)
        conf = conf.replace("pid /run/nginx.pid;", "pid %s/nginx.pid;" % self.work)
        conf = conf.replace("error_log /var/log/nginx/error.log;", "error_log %s/error.log;" % self.work)
        conf = conf.replace("access_log /var/log/nginx/access.log;", "access_log %s/access.log;" % self.work)
        (self.work / "nginx.conf").write_text(conf)
        return ["nginx", "-c", str(self.work / "nginx.conf"), "-e", str(self.work / "error.log"),
                "-g", "daemon off;"]

    def _apache(self, root, port):
        # The shipped configuration, its enabled modules (mod_deflate among
        # them) and their settings, with one site of the root on this port.
        conf = self.work / "apache2"
        shutil.copytree("/etc/apache2", conf, symlinks=True)
        (conf / "ports.conf").write_text("Listen 127.0.0.1:%d\n" % port)
        for site in (conf / "sites-enabled").iterdir():
            site.unlink()
        (conf / "sites-enabled" / "tervalo.conf").write_text(
            "<VirtualHost *:%d>\nDocumentRoot %s\n<Directory %s>\nRequire all granted\n</Directory>\n"
            "</VirtualHost>\n" % (port, root, root))
        for folder in ("run", "lock", "log"):
            (self.work / folder).mkdir()
        self.environment = {
            "PATH": "/usr/sbin:/usr/bin:/sbin:/bin", "LANG": "C",
            "APACHE_RUN_USER": "www-data", "APACHE_RUN_GROUP": "www-data",
            "APACHE_PID_FILE": str(self.work / "run/apache2.pid"), "APACHE_RUN_DIR": str(self.work / "run"),
            "APACHE_LOCK_DIR": str(self.work / "lock"), "APACHE_LOG_DIR": str(self.work / "log"),
        }
        return ["apache2", "-d", str(conf), "-DFOREGROUND"]

    def close(self):
        if getattr(self, "relay", None):
            self.relay.close()
        self.process.terminate()
        try:
            self.process.wait(timeout=START_SECONDS)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.log.close()
        shutil.rmtree(self.work, ignore_errors=True)
