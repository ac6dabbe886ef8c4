// A static web server for the page's tests: the site's files as a host serves them, or as some
// hosts do (another type for the module, a Content-Security-Policy, a file missing).
"use strict";

const fs = require("fs");
const http = require("http");
const path = require("path");

const kTypes = { ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm", ".woff": "font/woff", ".png": "image/png" };

// options: types (extension to Content-Type, over the usual ones), headers (added to every
// answer), missing (a pattern of the paths answered 404). Resolves to { url, close }.
function serve(site, options = {}) {
  const directory = path.resolve(site);
  const types = { ...kTypes, ...(options.types || {}) };
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, "http://host").pathname).replace(/\/$/, "/index.html");
    const file = path.join(directory, path.normalize(name));
    if (!file.startsWith(directory + path.sep) || (options.missing && options.missing.test(name)) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404, { "Content-Type": "text/plain", ...(options.headers || {}) });
      response.end("Not Found");
      return;
    }
    response.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream", "Cache-Control": "no-store", ...(options.headers || {}) });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(0, "127.0.0.1", () => resolve({ url: `http://127.0.0.1:${server.address().port}/`, close: () => new Promise((done) => server.close(done)) }));
  });
}

module.exports = { serve };
