#!/usr/bin/env python3
# Writes the seed projects of fuzz/corpus/project_file/: one valid project, one
# with a picture background, and one for each way a reader must refuse one.
#
#   python3 fuzz/make_project_corpus.py fuzz/corpus/project_file fuzz/corpus/settings_json/defaults.json
#
# Written with Python's own zipfile, not with our writer, so that the reader
# also sees archives made elsewhere.
import zipfile, zlib, struct, json, io, os, sys
out = sys.argv[1]
def png(w, h, alpha=False):
    def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    ch = 4 if alpha else 3
    raw = b''.join(b'\0' + bytes(((x * 37 + y * 11 + c * 50) & 0xff) for x in range(w) for c in range(ch)) for y in range(h))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6 if alpha else 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))
settings = json.load(open(sys.argv[2]))
doc = {"format": 1, "screenshot": {"file": "screenshot.png", "devicePixelRatio": 2}, "settings": settings,
       "annotations": {"textOverlays": [{"text": "Hi", "position": {"x": 0.5, "y": 0.5}}],
                       "shapeOverlays": [{"shapeType": "Arrow"}],
                       "removalAreas": [{"rect": {"x": 0.1, "y": 0.1, "width": 0.2, "height": 0.2}}],
                       "stepMarkers": [{"position": {"x": 0.2, "y": 0.8}}],
                       "penStrokes": [{"points": [{"x": 0.1, "y": 0.1}, {"x": 0.3, "y": 0.2}]}],
                       "crop": {"x": 0, "y": 0, "width": 0.5, "height": 1}}}
def project(name, entries):
    b = io.BytesIO()
    with zipfile.ZipFile(b, 'w') as z:
        for n, data, stored in entries:
            z.writestr(zipfile.ZipInfo(n, (2026, 1, 1, 0, 0, 0)), data,
                       zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED)
    open(os.path.join(out, name), 'wb').write(b.getvalue())
    return b.getvalue()
mime = (b'mimetype', b'application/x-lustrelab-project', True)
def d(x): return ('document.json', json.dumps(x).encode(), False)
shot = ('screenshot.png', png(8, 6, True), True)
prev = ('preview.png', png(4, 3), True)
project('valid', [('mimetype', mime[1], True), d(doc), shot, prev])
bg = dict(doc); bg["backgroundImage"] = "background.png"
bgs = dict(settings); bgs["backgroundType"] = "image"; bgs["backgroundImagePath"] = "/nonexistent/picture.png"; bg["settings"] = bgs
project('picture_background', [('mimetype', mime[1], True), d(bg), shot, ('background.png', png(5, 5), True)])
project('wrong_mimetype', [('mimetype', b'application/zip', True), d(doc), shot])
project('mimetype_not_first', [d(doc), ('mimetype', mime[1], True), shot])
project('bad_json', [('mimetype', mime[1], True), ('document.json', b'{"format": 1, "settings": [', False), shot])
newer = dict(doc); newer["format"] = 9
project('newer_format', [('mimetype', mime[1], True), d(newer), shot])
esc = dict(doc); esc["screenshot"] = {"file": "../../screenshot.png"}
project('screenshot_outside', [('mimetype', mime[1], True), d(esc), shot, ('../../screenshot.png', png(2, 2), True)])
project('entries_outside_ignored', [('mimetype', mime[1], True), d(doc), shot, ('/tmp/evil', b'x', True), ('../evil', b'x', False)])
huge = bytearray(png(8, 6)); huge[16:24] = struct.pack('>II', 70000, 70000)
project('huge_ihdr', [('mimetype', mime[1], True), d(doc), ('screenshot.png', bytes(huge), True)])
bomb = project('lying_size', [('mimetype', mime[1], True), d(doc), ('screenshot.png', b'\0' * 60000, False)])
b = bytearray(bomb); at = b.rfind(b'PK\x01\x02')
b[at + 24:at + 28] = struct.pack('<I', 100); open(os.path.join(out, 'lying_size'), 'wb').write(bytes(b))
project('undecodable_screenshot', [('mimetype', mime[1], True), d(doc), ('screenshot.png', png(8, 6)[:40], True)])
open(os.path.join(out, 'not_zip'), 'wb').write(b'PK\x03\x04 not really')
