#!/bin/sh
# A private print server for the printing tests.
#
#   cupsd-fixture.sh start DIR [WATCH_PID]   prepares DIR, starts cupsd on DIR/cups.sock,
#                                            adds the test queues; prints nothing on success
#   cupsd-fixture.sh stop DIR                stops that cupsd and waits for it
#
# Two queues: "sleevit-raw" (no driver) and "sleevit-tray" (a PPD of ours whose paper
# source offers "CD-R Tray"). Where the printer driver packages are installed, queues
# from their real PPDs as well, each twice: "disc-NAME" with the driver's whole filter
# chain (the capture holds the printer data) and "disc-NAME-raster" whose driver filter
# is replaced by "-" (the capture holds the CUPS raster the driver would get). NAME is
# epson (gutenprint P50), canon (gutenprint iP4800), hp (hpcups Photosmart 3100) and
# escpr (Artisan 630); low resolutions keep the jobs quick. All queues end in a
# capture backend that keeps each job in
# DIR/capture-<queue>/: job-N.data (the document), job-N.title (argument 3, the job's
# name), job-N.copies (argument 4), job-N.options (argument 5), and job-N.done last.
#
# cupsd runs backends only from a root-owned folder that nobody else may write, so the
# backend goes to /opt/sleevit-test/cupsbin beside links to the system's own programs.
# With WATCH_PID, a watcher stops cupsd as soon as that process is gone, so a test that
# dies leaves nothing running.
set -eu

CUPSBIN=/opt/sleevit-test/cupsbin
SYSBIN=/usr/lib/cups

die() {
    echo "cupsd-fixture: $*" >&2
    exit 1
}

install_bin() {
    umask 022
    mkdir -p "$CUPSBIN"
    chown root:root /opt/sleevit-test "$CUPSBIN"
    chmod 755 /opt/sleevit-test "$CUPSBIN"
    for sub in daemon filter monitor notifier backend; do
        mkdir -p "$CUPSBIN/$sub"
        chmod 755 "$CUPSBIN/$sub"
        if [ -d "$SYSBIN/$sub" ]; then
            for f in "$SYSBIN/$sub"/*; do
                [ -e "$f" ] || continue
                link="$CUPSBIN/$sub/$(basename "$f")"
                # Tests running side by side share the folder: links already there stay.
                [ -e "$link" ] || ln -s "$f" "$link" 2>/dev/null || true
            done
        fi
    done
    tmp="$CUPSBIN/backend/.capture.$$"
    cat > "$tmp" <<'BACKEND'
#!/bin/sh
# Capture backend: keeps the job's document, name, copies and options.
if [ $# -eq 0 ]; then
    echo 'direct capture "Unknown" "Sleevit test capture"'
    exit 0
fi
dir="${DEVICE_URI#capture:}"
[ -d "$dir" ] || exit 1
base="$dir/job-$1"
printf '%s\n' "$3" > "$base.title"
printf '%s\n' "$4" > "$base.copies"
printf '%s\n' "$5" > "$base.options"
if [ $# -ge 6 ]; then
    cat "$6" > "$base.data"
else
    cat > "$base.data"
fi
: > "$base.done"
exit 0
BACKEND
    chmod 755 "$tmp"
    if cmp -s "$tmp" "$CUPSBIN/backend/capture"; then
        rm -f "$tmp"
    else
        mv -f "$tmp" "$CUPSBIN/backend/capture"
    fi
}

write_ppd() {
    cat > "$1" <<'PPD'
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "SLVTRAY.PPD"
*Manufacturer: "Sleevit"
*Product: "(Sleevit Test Tray Printer)"
*ModelName: "Sleevit Test Tray Printer"
*ShortNickName: "Sleevit Test Tray"
*NickName: "Sleevit Test Tray Printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsFilter: "application/pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*PageSize Tray127/Disc Tray 127 x 127 mm: "<</PageSize[360 360]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageRegion Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*PageRegion Tray127/Disc Tray 127 x 127 mm: "<</PageSize[360 360]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "8.5 17 586.5 833.5"
*ImageableArea Letter/US Letter: "18 18 594 774"
*ImageableArea Tray127/Disc Tray 127 x 127 mm: "0 0 360 360"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/US Letter: "612 792"
*PaperDimension Tray127/Disc Tray 127 x 127 mm: "360 360"
*OpenUI *InputSlot/Paper Source: PickOne
*OrderDependency: 20 AnySetup *InputSlot
*DefaultInputSlot: Auto
*InputSlot Auto/Automatic: ""
*InputSlot Manual/Manual Feed: ""
*InputSlot CDTray/CD-R Tray: ""
*CloseUI: *InputSlot
*DefaultFont: Courier
*Font Courier: Standard "(002.004S)" Standard ROM
PPD
}

# The PPD of a real driver: NAME DRIVER-PROGRAM URI [lpadmin -o OPTIONS...]; nothing when
# the driver is not installed.
DRIVER_QUEUES="epson|gutenprint.5.3|gutenprint.5.3://escp2-p50/expert|Resolution=360x180dpi
canon|gutenprint.5.3|gutenprint.5.3://bjc-PIXMA-iP4800/expert|Resolution=300x300dpi
hp|hplip-data|hplip-data:0/ppd/hplip/HP/hp-photosmart_3100_series.ppd|OutputMode=Draft
escpr|escpr|escpr:0/cups/model/epson-inkjet-printer-escpr/Epson-Artisan_630-epson-escpr-en.ppd|"

add_driver_queues() {
    dir=$1
    echo "$DRIVER_QUEUES" | while IFS='|' read -r name driver uri opts; do
        [ -x "$SYSBIN/driver/$driver" ] || continue
        "$SYSBIN/driver/$driver" cat "$uri" > "$dir/$name.ppd" 2>/dev/null || continue
        grep -q '^\*cupsFilter' "$dir/$name.ppd" || continue
        # The raster copy: the driver's filters replaced by one that hands the raster on.
        { grep -v '^\*cupsFilter' "$dir/$name.ppd"
          echo '*cupsFilter: "application/vnd.cups-raster 0 -"'; } > "$dir/$name-raster.ppd"
        for q in "disc-$name" "disc-$name-raster"; do
            ppd=$dir/$name.ppd
            [ "$q" = "disc-$name" ] || ppd=$dir/$name-raster.ppd
            mkdir -p "$dir/capture-$q"
            chown lp:lp "$dir/capture-$q"
            set -- lpadmin -p "$q" -E -v "capture:$dir/capture-$q" -P "$ppd"
            [ -z "$opts" ] || set -- "$@" -o "$opts"
            "$@" >/dev/null 2>&1 || echo "cupsd-fixture: cannot add $q" >&2
        done
    done
}

start() {
    dir=$1
    watch=${2:-}
    command -v cupsd >/dev/null 2>&1 || die "cupsd is not installed"
    [ "$(id -u)" = 0 ] || die "needs root"
    install_bin
    chmod 755 "$dir"
    mkdir -p "$dir/etc/ppd" "$dir/spool/tmp" "$dir/cache" "$dir/state/certs" "$dir/log" \
        "$dir/capture-sleevit-raw" "$dir/capture-sleevit-tray"
    chown -R lp:lp "$dir/spool" "$dir/cache" "$dir/state" "$dir/log" \
        "$dir/capture-sleevit-raw" "$dir/capture-sleevit-tray"
    chmod 1770 "$dir/spool/tmp"
    cat > "$dir/etc/cups-files.conf" <<CONF
User lp
Group lp
SystemGroup root
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
DataDir /usr/share/cups
ServerBin $CUPSBIN
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/printcap
CONF
    cat > "$dir/etc/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel debug
DefaultAuthType None
Browsing No
WebInterface No
PreserveJobFiles No
PreserveJobHistory Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF
    write_ppd "$dir/tray.ppd"

    cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" \
        </dev/null >"$dir/log/cupsd.out" 2>&1 &
    pid=$!
    echo "$pid" > "$dir/cupsd.pid"
    if [ -n "$watch" ]; then
        (
            while kill -0 "$watch" 2>/dev/null && alive "$pid"; do sleep 1; done
            if alive "$pid"; then kill "$pid" 2>/dev/null || true; fi
        ) </dev/null >/dev/null 2>&1 &
        echo "$!" > "$dir/watcher.pid"
    fi

    CUPS_SERVER="$dir/cups.sock"
    export CUPS_SERVER
    i=0
    until [ -S "$dir/cups.sock" ] && lpstat -r >/dev/null 2>&1; do
        i=$((i + 1))
        if [ $i -gt 100 ] || ! alive "$pid"; then
            cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true
            stop "$dir"
            die "cupsd did not start"
        fi
        sleep 0.1
    done
    lpadmin -p sleevit-raw -E -v "capture:$dir/capture-sleevit-raw" -m raw >/dev/null 2>&1 ||
        { stop "$dir"; die "cannot add the raw queue"; }
    lpadmin -p sleevit-tray -E -v "capture:$dir/capture-sleevit-tray" -P "$dir/tray.ppd" >/dev/null 2>&1 ||
        { stop "$dir"; die "cannot add the tray queue"; }
    add_driver_queues "$dir"
    lpadmin -d sleevit-raw >/dev/null 2>&1 || true
}

# Whether the process is our cupsd and still running (a zombie counts as stopped).
alive() {
    [ -r "/proc/$1/stat" ] || return 1
    [ "$(cat "/proc/$1/comm" 2>/dev/null)" = cupsd ] || return 1
    state=$(sed 's/^.*) //' "/proc/$1/stat" | cut -d' ' -f1)
    [ "$state" != Z ]
}

stop() {
    dir=$1
    if [ -f "$dir/watcher.pid" ]; then
        kill "$(cat "$dir/watcher.pid")" 2>/dev/null || true
        rm -f "$dir/watcher.pid"
    fi
    [ -f "$dir/cupsd.pid" ] || return 0
    pid=$(cat "$dir/cupsd.pid")
    if alive "$pid"; then
        kill "$pid" 2>/dev/null || true
        i=0
        while alive "$pid"; do
            i=$((i + 1))
            if [ $i -gt 50 ]; then
                kill -9 "$pid" 2>/dev/null || true
                break
            fi
            sleep 0.1
        done
    fi
    rm -f "$dir/cupsd.pid"
}

case "${1:-}" in
start) [ $# -ge 2 ] || die "usage: $0 start DIR [WATCH_PID]"; start "$2" "${3:-}" ;;
stop) [ $# -ge 2 ] || die "usage: $0 stop DIR"; stop "$2" ;;
*) die "usage: $0 start|stop DIR" ;;
esac
