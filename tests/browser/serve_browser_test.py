#!/usr/bin/env python3
"""velmora-host serve, used in a real browser (headless Chromium driven by
Selenium): the page loads, point 1 is dragged, the spacing changed, the
downloads are the bytes `velmora-host render` writes for those settings, a
saved preset is listed and loads again, a guide file is added, the panel
switches to Japanese; requests without the key or naming another host are
refused. Prints the time from each edit to its effect on screen.

usage: serve_browser_test.py VELMORA_HOST [--screenshot OUT.png]
Exits 77 (skipped) when Chromium, its driver or Selenium is missing.
"""
import http.client
import json
import os
import re
import shutil
import signal
import socket
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import urllib.parse
import zlib

SKIP = 77
HERE = os.path.dirname(os.path.abspath(__file__))
GUIDE = os.path.join(HERE, '..', 'data', 'guides', 'wave.svg')


def skip(why):
    print(f'SKIPPED: {why}')
    sys.exit(SKIP)


try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    webdriver = None  # the refusals are still checked, then the test skips


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)
    print(f'ok: {what}')


class Server:
    """velmora-host serve on a free port, with a data folder of its own."""

    def __init__(self, program, config):
        self.program = program
        self.env = dict(os.environ, XDG_CONFIG_HOME=config)
        self.process = subprocess.Popen([program, 'serve', '--port', '0'], stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, env=self.env, text=True)
        line = ''
        deadline = time.time() + 30
        while 'http://' not in line and time.time() < deadline:
            line = self.process.stdout.readline()
            if not line and self.process.poll() is not None:
                raise Failure('serve exited: ' + self.process.stderr.read())
        self.url = re.search(r'http://\S+', line).group(0)
        parts = urllib.parse.urlsplit(self.url)
        self.host, self.port = parts.hostname, parts.port
        self.token = urllib.parse.parse_qs(parts.query)['token'][0]

    def request(self, method, path, host=None, headers=None, body=None):
        connection = http.client.HTTPConnection(self.host, self.port, timeout=30)
        connection.putrequest(method, path, skip_host=True)
        connection.putheader('Host', host or f'{self.host}:{self.port}')
        for name, value in (headers or {}).items():
            connection.putheader(name, value)
        if body is not None:
            connection.putheader('Content-Length', str(len(body)))
        connection.endheaders(body)
        response = connection.getresponse()
        data = response.read()
        connection.close()
        return response.status, data

    def render(self, args):
        result = subprocess.run([self.program, 'render'] + args, env=self.env,
                                capture_output=True, text=True)
        if result.returncode != 0:
            raise Failure('render failed: ' + result.stderr)

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            return self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            return None


def refusals(server):
    t = server.token
    status, _ = server.request('GET', f'/api/state?token={t}')
    check(status == 200, 'a request with the key and the loopback host is answered')
    status, _ = server.request('GET', f'/api/state?token={t}', host=f'localhost:{server.port}')
    check(status == 200, 'the host name localhost is accepted too')
    status, body = server.request('GET', '/api/state')
    check(status == 403 and b'key' in body, 'a request without the key is refused')
    status, _ = server.request('GET', '/?token=' + t[:-1] + ('0' if t[-1] != '0' else '1'))
    check(status == 403, 'a request with a wrong key is refused')
    status, body = server.request('GET', f'/?token={t}', host=f'rebound.example:{server.port}')
    check(status == 403 and b'host' in body, 'a request naming a foreign host is refused')
    status, _ = server.request('GET', f'/?token={t}', host='127.0.0.1:1')
    check(status == 403, 'a request naming another port is refused')
    status, _ = server.request('POST', f'/api/save-preset?token={t}',
                               headers={'Origin': 'http://elsewhere.example'}, body=b'')
    check(status == 403, 'a request from another site is refused')
    for _ in range(5):
        client = socket.create_connection((server.host, server.port))
        client.sendall(f'GET /api/frame?token={t} HTTP/1.1\r\nHost: {server.host}:{server.port}'
                       '\r\n\r\n'.encode())
        client.recv(16)
        client.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack('ii', 1, 0))
        client.close()
    status, _ = server.request('GET', f'/api/state?token={t}')
    check(status == 200 and server.process.poll() is None,
          'clients leaving in the middle of a reply do not end the server')


def browser(download_dir):
    if webdriver is None:
        skip('python3-selenium is not installed')
    chromium = shutil.which('chromium')
    driver_path = shutil.which('chromedriver')
    if chromium is None or driver_path is None:
        skip('chromium or chromium-driver is not installed')
    profile = tempfile.mkdtemp(prefix='velmora-chromium-')
    options = webdriver.ChromeOptions()
    options.binary_location = chromium
    for flag in ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                 '--disable-background-networking', '--disable-component-update', '--disable-sync',
                 '--disable-dev-shm-usage', f'--user-data-dir={profile}', '--window-size=1360,900']:
        options.add_argument(flag)
    options.add_experimental_option('prefs', {'download.default_directory': download_dir,
                                              'download.prompt_for_download': False})
    driver = webdriver.Chrome(service=Service(executable_path=driver_path), options=options)
    driver.execute_cdp_cmd('Page.setDownloadBehavior',
                           {'behavior': 'allow', 'downloadPath': download_dir})
    return driver, profile


def wait_idle(driver, what='the page to show the newest effect', timeout=30):
    WebDriverWait(driver, timeout, poll_frequency=0.02).until(
        lambda d: d.execute_script('return window.velmora && window.velmora.idle()'), what)


def item(driver, key):
    return driver.execute_script(
        'return window.velmora.state.items.find(i => i.key === arguments[0])', key)


def type_value(driver, key, value, wait=True):
    """Types a value into an item's number field and leaves it, as a user does."""
    field = driver.find_element(By.ID, f'item-{key}')
    field.clear()
    field.send_keys(str(value), Keys.TAB)
    if wait:
        wait_idle(driver)


def write_inked_png(path, width, height):
    """An opaque black picture: ink everywhere, so every line is drawn whole."""
    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data +
                struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff))
    rows = b''.join(b'\x00' + b'\x00\x00\x00\xff' * width for _ in range(height))
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' +
                chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)) +
                chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b''))


def wait_for_file(path, timeout=60):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if os.path.exists(path) and not os.path.exists(path + '.crdownload'):
            return True
        time.sleep(0.05)
    return False


def read(path):
    with open(path, 'rb') as f:
        return f.read()


def figures(latencies):
    ordered = sorted(latencies)
    p95 = ordered[min(len(ordered) - 1, int(round(0.95 * (len(ordered) - 1))))]
    return (f'{len(ordered)} edits: median {statistics.median(ordered):.1f} ms, '
            f'95th percentile {p95:.1f} ms, max {ordered[-1]:.1f} ms')


def run(program, screenshot):
    scratch = tempfile.mkdtemp(prefix='velmora-serve-')
    downloads = os.path.join(scratch, 'downloads')
    os.makedirs(downloads)
    server = Server(program, os.path.join(scratch, 'config'))
    driver = profile = None
    try:
        refusals(server)
        driver, profile = browser(downloads)
        driver.get(server.url)
        wait_idle(driver, 'the first frame')
        check(len(driver.find_elements(By.CSS_SELECTOR, '#items .item')) ==
              len(driver.execute_script('return window.velmora.state.items')),
              'every item the module declares has a control')
        for caption in ['Template', 'Guide', 'Preset', 'Default', 'Save Preset', 'Spacing']:
            check(caption in driver.find_element(By.ID, 'items').text, f'"{caption}" is on the page')

        # Drag point 1 with the mouse, in steps, as a user does.
        start = item(driver, 170)['value']
        handle = driver.find_element(By.ID, 'handle-170')
        chain = ActionChains(driver).click_and_hold(handle)
        for _ in range(16):
            chain.move_by_offset(9, -8).pause(0.03)
        chain.release().perform()
        wait_idle(driver, 'the effect after the drag')
        p1 = item(driver, 170)['value']
        check(p1 != start and p1[0] > start[0] and p1[1] < start[1],
              f'dragging point 1 moved it from {start} to {p1}')
        drag_latencies = driver.execute_script('return window.velmora.latencies.splice(0)')

        # Change the spacing and the length, as typed.
        type_value(driver, 224, 14)
        check(item(driver, 224)['value'] == 14, 'the spacing is 14')
        type_value(driver, 222, 110)

        # Downloads: the same bytes as velmora-host render of the same settings.
        settings = ['--set', f'p1={p1[0]},{p1[1]}', '--set', 'spacing=14', '--set', 'length=110']
        server.render(settings + ['-o', os.path.join(scratch, 'effect.png'),
                                  '--composite', os.path.join(scratch, 'composite.png')])
        for name in ['effect', 'composite']:
            driver.find_element(By.ID, f'download-{name}').click()
            got = os.path.join(downloads, f'velmora-{name}.png')
            check(wait_for_file(got), f'the {name} PNG downloads')
            check(read(got) == read(os.path.join(scratch, f'{name}.png')),
                  f'the downloaded {name} PNG is byte for byte what render writes')

        if screenshot:
            driver.execute_script("document.activeElement.blur(); document.getElementById('side').scrollTop = 0")
            driver.save_screenshot(screenshot)
            print(f'screenshot: {screenshot}')

        # Edits one after another: how long until each shows.
        for value in range(15, 35):
            type_value(driver, 224, value)
        edit_latencies = driver.execute_script('return window.velmora.latencies.splice(0)')
        check(item(driver, 224)['value'] == 34, 'twenty spacing edits in a row end at the last')

        # Save a preset; it is listed; "Default" resets; the preset loads again.
        type_value(driver, 224, 14)
        driver.find_element(By.ID, 'item-141').click()
        WebDriverWait(driver, 30).until(
            lambda d: 'saved preset' in d.find_element(By.ID, 'status').text, 'the preset saved')
        choices = item(driver, 140)['choices']
        saved = [c for c in choices if c['index'] != 0]
        check(len(saved) == 1 and saved[0]['text'] in driver.find_element(By.ID, 'items').text,
              f'the saved preset "{saved[0]["text"] if saved else ""}" is listed')
        driver.find_element(By.ID, 'item-140-choice-0').click()
        wait_idle(driver)
        check(item(driver, 224)['value'] == 50 and item(driver, 170)['value'] == start,
              '"Default" puts the spacing and point 1 back')
        driver.find_element(By.ID, f'item-140-choice-{saved[0]["index"]}').click()
        wait_idle(driver)
        # A preset keeps points as fractions of the canvas with five decimals,
        # read back truncated: a point may come back a pixel short.
        loaded = item(driver, 170)['value']
        check(item(driver, 224)['value'] == 14 and
              all(0 <= a - b <= 1 for a, b in zip(p1, loaded)),
              f'choosing the saved preset brings its spacing and point 1 ({loaded}) back')

        # Add a guide file: it is listed and chosen.
        driver.find_element(By.ID, 'guide-file').send_keys(os.path.abspath(GUIDE))
        WebDriverWait(driver, 30).until(
            lambda d: 'wave' in d.find_element(By.ID, 'status').text, 'the guide added')
        wait_idle(driver)
        guide = item(driver, 161)
        check([c['text'] for c in guide['choices']][guide['value']] == 'wave',
              'the added guide "wave" is listed and chosen')

        # Japanese: the module's own captions; the settings stay.
        Select(driver.find_element(By.ID, 'language')).select_by_value('ja')
        WebDriverWait(driver, 30).until(
            lambda d: '間隔' in d.find_element(By.ID, 'items').text, 'the Japanese panel')
        wait_idle(driver)
        text = driver.find_element(By.ID, 'items').text
        check('テンプレート' in text and '(初期設定)' in text and 'プリセットを保存する' in text,
              'the panel is in Japanese')
        guide = item(driver, 161)
        check(item(driver, 224)['value'] == 14 and
              [c['text'] for c in guide['choices']][guide['value']] == 'wave',
              'the settings stay when the language changes')

        # Another picture, all ink: a long pass shows its progress, and a
        # newer edit stops it.
        inked = os.path.join(scratch, 'inked.png')
        write_inked_png(inked, 3000, 2250)
        driver.find_element(By.ID, 'picture-file').send_keys(inked)
        WebDriverWait(driver, 30).until(
            lambda d: d.execute_script('return window.velmora.state.picture.width') == 3000,
            'the chosen picture')
        wait_idle(driver)
        check(item(driver, 170)['value'] == [1500, 1125],
              'on a picture of another size point 1 is back at the template\'s place')
        type_value(driver, 222, 1000)
        stopped = driver.execute_script('return window.velmora.state.passes.stopped')
        driver.execute_script("""
            const bar = document.getElementById('progress');
            window.progressSeen = false;
            new MutationObserver(() => { if (!bar.hidden) window.progressSeen = true; })
                .observe(bar, {attributes: true});""")
        type_value(driver, 224, 1, wait=False)
        WebDriverWait(driver, 60, poll_frequency=0.01).until(
            lambda d: d.execute_script('return window.progressSeen'), 'the progress bar')
        check(True, 'a long pass shows the progress bar')
        # Typed in one step: the long pass keeps the processor busy, and the
        # edit must arrive while it still runs.
        driver.execute_script("""
            const field = document.getElementById('item-224');
            field.value = '200';
            field.dispatchEvent(new Event('change'));""")
        wait_idle(driver)
        passes = driver.execute_script('return window.velmora.state.passes')
        check(passes['stopped'] > stopped, f'the newer edit stopped the long pass ({passes})')
        check(item(driver, 224)['value'] == 200, 'the newest spacing is shown')

        print('latency, dragging point 1: ' + (figures(drag_latencies) if drag_latencies else 'none'))
        print('latency, spacing edits:    ' + figures(edit_latencies))
        passes = driver.execute_script('return window.velmora.state.passes')
        print(f'passes: {passes["finished"]} finished, {passes["stopped"]} stopped by a newer edit, '
              f'last {passes["lastMs"]:.1f} ms')
    finally:
        if driver is not None:
            driver.quit()
        status = server.stop()
        shutil.rmtree(scratch, ignore_errors=True)
        if profile:
            shutil.rmtree(profile, ignore_errors=True)
    check(status == 0, 'the server stops cleanly on SIGTERM')


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    screenshot = None
    if '--screenshot' in sys.argv:
        screenshot = sys.argv[sys.argv.index('--screenshot') + 1]
    try:
        run(sys.argv[1], screenshot)
    except Failure as failure:
        print(f'FAILED: {failure}')
        return 1
    except SystemExit as leaving:
        return leaving.code
    print('all passed')
    return 0


if __name__ == '__main__':
    sys.exit(main())
