#!/usr/bin/python3
"""The FoodMart site in headless Chromium (Debian's chromium and chromium-driver, on loopback,
pages opened from disk): the search box finds every measure of the schema from a part of its name,
arrow keys and Enter lead to the page that shows it, the console stays free of errors, and the
site of hostile names runs none of them. linkchecker, offline, finds no broken link or anchor.

    site_browser.py KAVENOR SOURCE_DIR [XMLA_STATE_DIR]

With the state folder of the live XMLA test server (tests/xmla/server.sh), the FoodMart site is
written from that server, and the hostile names are left out.
"""
import os
import pathlib
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

from selenium import webdriver
from selenium.common.exceptions import NoAlertPresentException, UnexpectedAlertPresentException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

KAVENOR, SOURCE = sys.argv[1], sys.argv[2]
FOODMART = os.path.join(SOURCE, "samples", "servers", "FoodMart.xml")
LIVE = pathlib.Path(sys.argv[3], "url").read_text().strip() if len(sys.argv) > 3 else None
HOSTILE = os.path.join(SOURCE, "tests", "data", "site", "hostile.json")
failures = []


def write_site(server, folder):
    subprocess.run([KAVENOR, "site", "--server", server, "--output", folder], check=True, timeout=300,
                   env=dict(os.environ, SOURCE_DATE_EPOCH="1764511500"))


def start_browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--no-first-run",
                 "--disable-default-apps", f"--user-data-dir={profile}"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    options.set_capability("unhandledPromptBehavior", "ignore")
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def search(driver, text):
    box = driver.find_element(By.ID, "search")
    box.clear()
    box.send_keys(text)
    return box


def hits(driver):
    return [(li.find_element(By.TAG_NAME, "a").text, li.find_element(By.CLASS_NAME, "kind").text)
            for li in driver.find_elements(By.CSS_SELECTOR, "#hits li[role=option]")]


def part_of(name):
    """A piece from inside the name, in another letter case: the search ignores case."""
    return name[1:5].upper() if len(name) > 5 else name.lower()


def check_measures(driver, folder):
    driver.get(pathlib.Path(folder, "index.html").as_uri())
    schema = ElementTree.parse(FOODMART).getroot()
    measures = sorted({m.get("name") for m in schema.iter("Measure")})
    for name in measures:
        search(driver, part_of(name))
        found = [hit for hit in hits(driver) if hit[0] == name and hit[1].startswith("measure")]
        if not found:
            failures.append(f"searching {part_of(name)!r} lists no measure {name!r}: {hits(driver)}")
    if search(driver, "x") and hits(driver):
        failures.append("one character already lists matches")


def check_follow(driver, folder, name="Warehouse Profit"):
    driver.get(pathlib.Path(folder, "index.html").as_uri())
    box = search(driver, part_of(name))
    names = [hit[0] for hit in hits(driver)]
    for _ in range(names.index(name) + 1 if name in names else 0):
        box.send_keys(Keys.ARROW_DOWN)
    box.send_keys(Keys.ENTER)
    WebDriverWait(driver, 10).until(lambda d: "#measure-" in d.current_url)
    row = driver.find_element(By.ID, driver.current_url.split("#")[1])
    if not row.is_displayed() or row.find_element(By.TAG_NAME, "th").text != name:
        failures.append(f"following {name!r} lands on {driver.current_url} without it")


def check_console(driver):
    errors = [entry for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]
    if errors:
        failures.append(f"console errors: {errors}")


def no_alert(driver, where):
    try:
        text = driver.switch_to.alert.text
        failures.append(f"{where} ran a script of a name (alert {text!r})")
        driver.switch_to.alert.dismiss()
    except NoAlertPresentException:
        pass


def check_hostile_page(driver, page):
    driver.get(page.as_uri())
    no_alert(driver, page.name)
    search(driver, "al")
    if len(hits(driver)) < 7:
        failures.append(f"searching 'al' on {page.name} lists {hits(driver)}")
    no_alert(driver, f"the search on {page.name}")


def check_hostile(driver, folder):
    for page in sorted(pathlib.Path(folder).glob("*.html")):
        try:
            check_hostile_page(driver, page)
        except UnexpectedAlertPresentException as alert:
            failures.append(f"{page.name} ran a script of a name (alert {alert.alert_text!r})")
            return
    cube = next(pathlib.Path(folder).glob("cube-*.html"))
    driver.get(cube.as_uri())
    title = driver.find_element(By.TAG_NAME, "h1").text
    if title != "</script><script>alert(1)</script>":
        failures.append(f"the hostile cube's heading reads {title!r}")


def check_links(folder, tmp):
    config = pathlib.Path(tmp, "linkchecker.ini")
    config.write_text("[AnchorCheck]\n")
    run = subprocess.run(["linkchecker", "--config", str(config), "--no-status", "--recursion-level", "-1",
                          str(pathlib.Path(folder, "index.html"))], capture_output=True, timeout=300)
    if run.returncode != 0:
        failures.append("linkchecker: " + run.stdout.decode(errors="replace")[-3000:])


with tempfile.TemporaryDirectory() as tmp:
    os.chmod(tmp, 0o755)  # linkchecker, run by root, reads as nobody
    foodmart, hostile = os.path.join(tmp, "foodmart"), os.path.join(tmp, "hostile")
    write_site(LIVE or FOODMART, foodmart)
    check_links(foodmart, tmp)
    if not LIVE:
        write_site(HOSTILE, hostile)
        check_links(hostile, tmp)
    driver = start_browser(os.path.join(tmp, "profile"))
    try:
        check_measures(driver, foodmart)
        check_follow(driver, foodmart)
        check_console(driver)
        if not LIVE:
            check_hostile(driver, hostile)
            check_console(driver)
    finally:
        driver.quit()

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
