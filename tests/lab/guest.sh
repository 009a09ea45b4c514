#!/bin/sh
# The lab's cases, run inside the guest: zorvane-cli and the platform's tools answer the
# same question about the same device; each case prints
#   PASS name: zorvane=... peer=...   or   FAIL name: zorvane=... peer=...
# and the last line is `N passed, M failed`. The host hears the result on the second serial
# port, which also carries questions to the host about QEMU's view of a drive (tray, lock,
# medium): "STATE qdev-id" is answered "tray=open|closed locked=yes|no medium=yes|no".

passed=0
failed=0
json=/tmp/zv.json

# --- Talking to the host.
exec 3<>/dev/ttyS1
stty -F /dev/ttyS1 raw -echo
host() {
  echo "$*" >&3
  read -r reply <&3
  echo "$reply"
}

# --- Reporting.
check() {  # NAME ZORVANE PEER
  if [ "$2" = "$3" ]; then
    echo "PASS $1: zorvane=$2 peer=$3"
    passed=$((passed + 1))
  else
    echo "FAIL $1: zorvane=$2 peer=$3"
    failed=$((failed + 1))
  fi
}
# A case whose peer answer is a pattern the Zorvane answer must match (grep -E).
checkMatch() {  # NAME ZORVANE PATTERN
  if printf '%s\n' "$2" | grep -Eq -- "$3"; then
    echo "PASS $1: zorvane=$2 peer=/$3/"
    passed=$((passed + 1))
  else
    echo "FAIL $1: zorvane=$2 peer=/$3/"
    failed=$((failed + 1))
  fi
}

# --- JSON answers, read with one jq run per answer (each run is slow in an emulated guest).
flatten() {  # JSON-FILE: "path<TAB>value" lines in JSON-FILE.flat
  jq -r 'paths(scalars) as $p | "\($p | map(tostring) | join("."))\t\(getpath($p))"' "$1" > "$1.flat" 2>/dev/null ||
    : > "$1.flat"
}
get() {  # JSON-FILE PATH [DEFAULT]: the value at PATH of a flattened answer
  awk -F'\t' -v k="$2" -v d="${3-}" '$1 == k { print $2; found = 1; exit } END { if (!found) print d }' "$1.flat"
}

# --- Numbers as the tools print them.
digits() { printf '%s' "$1" | tr -cd '0-9'; }
sizeText() {  # BYTES: "%3.2f GB" above 2^30 bytes, "%3.2f MB" otherwise
  awk -v b="$1" 'BEGIN { if (b >= 1073741824) printf "%3.2f GB", b / 1073741824; else printf "%3.2f MB", b / 1048576 }'
}

# --- The devices, found by what the kernel knows of them.
waitForDevices() {
  i=0
  while [ $i -lt 120 ]; do
    n=$(ls /dev/sd?1 /dev/sr? /dev/nvme0n1p2 2>/dev/null | wc -l)
    [ "$n" -ge 6 ] && return 0
    sleep 0.25
    i=$((i + 1))
  done
  echo "lab: devices missing: $(ls /dev/sd* /dev/sr* /dev/nvme* 2>/dev/null | tr '\n' ' ')"
}
diskWhere() {  # PATTERN of /sys/block/X's target path (and model): the kernel name
  for d in /sys/block/*; do
    if printf '%s %s\n' "$(readlink -f "$d")" "$(cat "$d/device/model" 2>/dev/null)" | grep -q -- "$1"; then
      basename "$d"
      return
    fi
  done
}

waitForDevices
sata=$(diskWhere 'ZVLAB SATA')
atapi=$(diskWhere '/ata.*/sr')
vscsi=$(diskWhere '/virtio.*/sr')
nvme=nvme0n1
usb=
stick=
for d in /sys/block/sd*; do
  case $(readlink -f "$d") in
    */usb*) if [ "$(cat "$d/removable")" = 1 ]; then stick=$(basename "$d"); else usb=$(basename "$d"); fi ;;
  esac
done
echo "lab: sata=$sata atapi=$atapi vscsi=$vscsi nvme=$nvme usb=$usb stick=$stick"

mkdir -p /mnt/sata /mnt/satafat /mnt/nvme /mnt/esp /mnt/usb /mnt/stick /mnt/dvd /mnt/cd
mount -t ext4 /dev/${sata}1 /mnt/sata
mount -t vfat /dev/${sata}2 /mnt/satafat
mount -t ext4 /dev/${nvme}p1 /mnt/nvme
mount -t vfat /dev/${nvme}p2 /mnt/esp
mount -t vfat /dev/${usb}1 /mnt/usb
mount -t vfat /dev/${stick}1 /mnt/stick
mount -t iso9660 -o ro /dev/$atapi /mnt/dvd
mount -t iso9660 -o ro /dev/$vscsi /mnt/cd
grep -q ' /mnt/satafat ' /proc/mounts || dmesg | tail -n 20

echo "=== lab cases ==="
section() { echo "lab: $(cut -d' ' -f1 /proc/uptime) s: $*"; }
section survey

zorvane-cli --json list > /tmp/list.json
flatten /tmp/list.json
rowOf() {  # FIELD VALUE: the index of the survey's row whose FIELD is VALUE
  awk -F'\t' -v f="$1" -v v="$2" '$2 == v && $1 ~ ("^drives\\.[0-9]+\\." f "$") { split($1, a, "."); print a[2]; exit }' /tmp/list.json.flat
}
row() {  # LABEL FIELD: the survey's text
  i=$(rowOf label "$1")
  [ -n "$i" ] && get /tmp/list.json "drives.$i.$2"
}
letterOf() { row "$1" letter | tr -d ' :'; }

# --- Survey: each volume's row against the kernel (sysfs), blkid, statvfs and INQUIRY.
inquiryField() {  # DEVICE OFFSET LENGTH: bytes of the standard INQUIRY answer (sg_inq)
  sg_inq -r "/dev/$1" 2>/dev/null | dd bs=1 skip="$2" count="$3" 2>/dev/null
}
expectedType() {  # DEVICE(partition's disk)
  case $1 in
    sr*) echo "CD / DVD Drive" ;;
    *) if [ "$(cat /sys/block/$1/removable)" = 1 ]; then echo "Removable Disk"; else echo "Local Disk"; fi ;;
  esac
}
expectedFormat() {  # NODE: blkid's type in the list's words
  type=$(blkid -p -o value -s TYPE "$1")
  case $type in
    vfat) if [ "$(blkid -p -o value -s VERSION "$1")" = FAT32 ]; then echo FAT32; else echo FAT; fi ;;
    iso9660) echo CDFS ;;
    *) echo "$type" ;;
  esac
}
surveyCase() {  # LABEL NODE DISK MOUNTPOINT
  label=$1 node=$2 disk=$3 mnt=$4
  name="survey $label"
  if [ -z "$(letterOf "$label")" ]; then
    check "$name listed" "(no row)" "/dev/$node mounted at $mnt"
    return
  fi
  check "$name type" "$(row "$label" type)" "$(expectedType "$disk")"
  check "$name format" "$(row "$label" format)" "$(expectedFormat /dev/$node)"
  set -- $(stat -f -c '%S %b %f %a' "$mnt")
  check "$name size" "$(row "$label" size)" "$(sizeText $(($1 * $2)))"
  check "$name available" "$(digits "$(row "$label" bytes_free)")" "$(($1 * $4))"
  check "$name available bytes" "$(row "$label" available_bytes)" "$(($1 * $4))"
  check "$name size bytes" "$(row "$label" size_bytes)" "$(($1 * $2))"
  case $disk in
    nvme*) ;;  # no SCSI INQUIRY
    *)
      check "$name vendor" "$(row "$label" vendor)" "$(inquiryField "$disk" 8 8)"
      check "$name product" "$(row "$label" product)" "$(inquiryField "$disk" 16 16)"
      ;;
  esac
  extra=$(row "$label" info)
  case $(expectedType "$disk") in
    "Removable Disk") check "$name additional info (vendor)" "$extra" "$(inquiryField "$disk" 8 8)" ;;
    "Local Disk")
      case $(readlink -f /sys/block/$disk) in
        */usb*) check "$name additional info (USB bus)" "$extra" "External Drive" ;;
        *) check "$name additional info" "$extra" "" ;;
      esac ;;
  esac
  uuid=$(blkid -o value -s UUID /dev/$node)
  case $(blkid -o value -s TYPE /dev/$node) in
    vfat) check "$name serial" "$(row "$label" serial)" "$(echo "$uuid" | sed 's/-/ - /')" ;;
    ext*) check "$name serial" "$(row "$label" serial)" \
            "$(echo "$uuid" | tr a-f A-F | sed 's/^\(....\)\(....\).*/\1 - \2/')" ;;
  esac
}
surveyCase ZVSATA ${sata}1 $sata /mnt/sata
surveyCase ZVFAT ${sata}2 $sata /mnt/satafat
surveyCase ZVNVME ${nvme}p1 $nvme /mnt/nvme
surveyCase ZVESP ${nvme}p2 $nvme /mnt/esp
surveyCase ZVUSB ${usb}1 $usb /mnt/usb
surveyCase ZVSTICK ${stick}1 $stick /mnt/stick
surveyCase ZVDVD $atapi $atapi /mnt/dvd
surveyCase ZVCD $vscsi $vscsi /mnt/cd

SATA=$(letterOf ZVSATA)
DVD=$(letterOf ZVDVD)
CD=$(letterOf ZVCD)
NVME=$(letterOf ZVNVME)

section "S.M.A.R.T. of the SATA"
# --- S.M.A.R.T. of the SATA disk against smartctl -d sat.
zorvane-cli --json smart "$SATA:" > /tmp/smart.json 2>/tmp/smart.err
smartctl -d sat -j -a /dev/$sata > /tmp/smartctl.json
flatten /tmp/smart.json
flatten /tmp/smartctl.json
check "smart status" "$(get /tmp/smart.json status)" ""
check "smart model" "$(get /tmp/smart.json model_number)" "$(get /tmp/smartctl.json model_name)"
check "smart serial" "$(get /tmp/smart.json serial_number)" "$(get /tmp/smartctl.json serial_number)"
check "smart firmware" "$(get /tmp/smart.json firmware_revision)" "$(get /tmp/smartctl.json firmware_version)"
check "smart size" "$(get /tmp/smart.json size_in_bytes_bytes)" "$(get /tmp/smartctl.json user_capacity.bytes)"
# One line per attribute: "id current/worst/threshold/raw".
jq -r '.attributes[] | "\(.attribute_value) \(.current_value)/\(.worst_value)/\(.threshold_value)/\(.raw_value_value)"' \
  /tmp/smart.json > /tmp/smart.attributes 2>/dev/null
jq -r '.ata_smart_attributes.table[] | "\(.id) \(.value)/\(.worst)/\(.thresh)/\(.raw.value)"' \
  /tmp/smartctl.json > /tmp/smartctl.attributes
check "smart attribute count" "$(wc -l < /tmp/smart.attributes)" "$(wc -l < /tmp/smartctl.attributes)"
while read -r id p; do
  check "smart attribute $id" "$(awk -v id="$id" '$1 == id { print $2 }' /tmp/smart.attributes)" "$p"
done < /tmp/smartctl.attributes
if [ "$(get /tmp/smartctl.json smart_status.passed)" = true ]; then
  check "smart verdict" "$(get /tmp/smart.json smart_enabled)" "SMART Test Passed"
else
  checkMatch "smart verdict" "$(get /tmp/smart.json smart_enabled)" "[Ff]ail"
fi

section "NVMe health"
# --- NVMe health against smartctl and nvme smart-log.
zorvane-cli --json smart "$NVME:" > /tmp/nsmart.json 2>/tmp/nsmart.err
smartctl -j -a /dev/nvme0 > /tmp/nsmartctl.json
nvme smart-log -o json /dev/nvme0 > /tmp/nlog.json
flatten /tmp/nsmart.json
flatten /tmp/nsmartctl.json
flatten /tmp/nlog.json
nv() { get /tmp/nsmart.json "nvme.$1" "missing ($(head -c 120 /tmp/nsmart.err))"; }
sc() { get /tmp/nsmartctl.json "nvme_smart_health_information_log.$1"; }
nl() { get /tmp/nlog.json "$1"; }
check "nvme critical warning" "$(nv critical_warning)" "$(sc critical_warning)"
check "nvme temperature" "$(nv temperature_celsius)" "$(sc temperature)"
check "nvme temperature (nvme smart-log)" "$(nv temperature_celsius)" "$(($(nl temperature) - 273))"
check "nvme available spare" "$(nv available_spare)" "$(sc available_spare)"
check "nvme spare threshold" "$(nv available_spare_threshold)" "$(sc available_spare_threshold)"
check "nvme percentage used" "$(nv percentage_used)" "$(nl percent_used)"
check "nvme power-on hours" "$(nv power_on_hours)" "$(sc power_on_hours)"
check "nvme power cycles" "$(nv power_cycles)" "$(nl power_cycles)"
check "nvme media errors" "$(nv media_errors)" "$(sc media_errors)"
check "nvme unsafe shutdowns" "$(nv unsafe_shutdowns)" "$(nl unsafe_shutdowns)"
check "nvme data units read" "$(nv data_units_read)" "$(sc data_units_read)"
check "nvme data units written" "$(nv data_units_written)" "$(nl data_units_written)"
if [ "$(sc critical_warning)" = 0 ]; then
  checkMatch "nvme verdict" "$(get /tmp/nsmart.json verdict missing)" "Passed"
else
  checkMatch "nvme verdict" "$(get /tmp/nsmart.json verdict missing)" "[Ff]ail"
fi

section "Disk information"
# --- Disk information of the SATA disk's first volume.
zorvane-cli --json diskinfo "$SATA:" > /tmp/diskinfo.json
flatten /tmp/diskinfo.json
set -- $(stat -f -c '%S %b %f %a' /mnt/sata)
check "diskinfo capacity" "$(get /tmp/diskinfo.json capacity_bytes)" "$(($1 * $2))"
check "diskinfo free" "$(get /tmp/diskinfo.json free_bytes)" "$(($1 * $4))"
check "diskinfo cluster bytes" "$(($(get /tmp/diskinfo.json bytes_per_sector_value) * $(get /tmp/diskinfo.json sectors_per_cluster_value)))" "$1"
check "diskinfo total clusters" "$(get /tmp/diskinfo.json total_clusters_value)" "$2"
check "diskinfo free clusters" "$(get /tmp/diskinfo.json free_clusters_value)" "$4"
check "diskinfo bytes per sector" "$(get /tmp/diskinfo.json bytes_per_sector_value)" "$(cat /sys/block/$sata/queue/logical_block_size)"
check "diskinfo device" "$(get /tmp/diskinfo.json device_name)" "/dev/${sata}1"
check "diskinfo serial" "$(get /tmp/diskinfo.json serial_number)" "$(get /tmp/smartctl.json serial_number)"
check "diskinfo partitions" "$(get /tmp/diskinfo.json no_of_partitions_value)" "$(ls -d /sys/block/$sata/${sata}[0-9]* | wc -l)"
check "diskinfo partition number" "$(get /tmp/diskinfo.json partition_no_value)" "$(cat /sys/block/$sata/${sata}1/partition)"
check "diskinfo start offset" "$(get /tmp/diskinfo.json start_offset_bytes)" "$(($(cat /sys/block/$sata/${sata}1/start) * 512))"
check "diskinfo partition length" "$(get /tmp/diskinfo.json partition_length_bytes)" "$(($(cat /sys/block/$sata/${sata}1/size) * 512))"

section "Optical drives"
# --- Optical drives: identification, capabilities, medium, and the tray and door.
# Page 2A as the drive sends it (sg_modes, current values), one hex byte per word.
pageBytes() { sg_modes -r -c 0 -p 0x2a "/dev/$1" 2>/dev/null | od -An -v -tx1 | tr -s ' \n' ' '; }
byteAt() {  # HEX-BYTES INDEX: the byte's value
  x=$(echo "$1" | awk -v i="$2" '{ print $(i + 1) }')
  echo $((0x${x:-0}))
}
expectedCapabilities() {  # DEVICE: the capability lines page 2A gives
  page=$(pageBytes "$1")
  # MODE SENSE (10) header: 8 bytes, then block descriptors (bytes 6-7).
  skip=$((8 + $(byteAt "$page" 6) * 256 + $(byteAt "$page" 7)))
  b() { byteAt "$page" $((skip + $1)); }
  r=$(b 2) w=$(b 3)
  [ $((r & 1)) = 1 ] && echo "Read CD-R" || echo ""
  [ $((r & 2)) = 2 ] && echo "Read CD-RW"
  [ $((r & 4)) = 4 ] && echo "Read Method 2"
  [ $((r & 8)) = 8 ] && echo "Read DVD-ROM"
  [ $((r & 16)) = 16 ] && echo "Read DVD-R / DVD-RW"
  [ $((r & 32)) = 32 ] && echo "Read DVD-RAM"
  [ $((w & 1)) = 1 ] && echo "Write CD-R"
  [ $((w & 2)) = 2 ] && echo "Write CD-RW"
  [ $((w & 4)) = 4 ] && echo "Write Test"
  [ $((w & 16)) = 16 ] && echo "Write DVD-R / DVD-RW"
  [ $((w & 32)) = 32 ] && echo "Write DVD-RAM"
  echo "Device Buffer: $(($(b 12) * 256 + $(b 13)))k"
  echo "Max Read Speed: $((($(b 8) * 256 + $(b 9)) / 176))x"
  echo "Max Write Speed: $((($(b 18) * 256 + $(b 19)) / 176))x"
}
currentProfile() { sg_get_config -c "/dev/$1" 2>/dev/null | sed -n 's/^Current profile: *//p' | sed 's/ *$//'; }
opticalCase() {  # LETTER DEVICE QDEV-ID
  L=$1 dev=$2 qdev=$3
  zorvane-cli --json optical "$L:" > /tmp/optical.json
  flatten /tmp/optical.json
  check "optical $L: vendor" "$(get /tmp/optical.json vendor)" "$(inquiryField "$dev" 8 8)"
  check "optical $L: product" "$(get /tmp/optical.json product_id)" "$(inquiryField "$dev" 16 16)"
  check "optical $L: revision" "$(get /tmp/optical.json revision)" "$(inquiryField "$dev" 32 4)"
  z=$(awk -F'\t' '$1 ~ /^capabilities\./ { printf "%s%s", sep, $2; sep = "|" }' /tmp/optical.json.flat)
  check "optical $L: capabilities (page 2A)" "$z" "$(expectedCapabilities "$dev" | tr '\n' '|' | sed 's/|$//')"
  profile=$(currentProfile "$dev")
  check "optical $L: media" "$(zorvane-cli media "$L:" 2>&1)" "$L: Contains disk type: $profile"
  case $profile in
    DVD*)
      # Physical format of layer 0: READ DISC STRUCTURE format 0 (sg_raw, 12-byte block).
      raw=$(sg_raw -r 21 "/dev/$dev" ad 00 00 00 00 00 00 00 00 15 00 00 2>/dev/null | od -An -v -tx1 | tr -s ' \n' ' ')
      # The layers field as the disc states it (0: one layer).
      layers=$(( $(byteAt "$raw" 6) >> 5 & 3 ))
      check "optical $L: disc layers field" "$(get /tmp/optical.json disc.number_of_layers 'no disc structure')" "$layers"
      book=$(( $(byteAt "$raw" 4) >> 4 ))
      [ "$book" = 0 ] && book=DVD-ROM
      check "optical $L: disc book type" "$(get /tmp/optical.json disc.book_type 'no disc structure')" "$book"
      ;;
  esac

  # The tray and the door, as QEMU sees them. A mounted disc keeps the door locked by the
  # kernel; lock and unlock requests change it all the same.
  check "lock $L: (disc mounted)" "$(zorvane-cli lock "$L:" 2>&1)" "CD/DVD Drive $L: door now locked."
  check "lock $L: QEMU state" "$(host STATE "$qdev")" "tray=closed locked=yes medium=yes"
  check "unlock $L: (disc mounted)" "$(zorvane-cli unlock "$L:" 2>&1)" "CD/DVD Drive $L: door now unlocked."
  check "unlock $L: QEMU state" "$(host STATE "$qdev")" "tray=closed locked=no medium=yes"
  zorvane-cli lock "$L:" >/dev/null 2>&1
  checkMatch "eject $L: while locked" "$(zorvane-cli eject "$L:" 2>&1)" "^Eject Failed: [0-9]+ \(.+\)$"
  check "eject $L: while locked, QEMU state" "$(host STATE "$qdev")" "tray=closed locked=yes medium=yes"
  zorvane-cli unlock "$L:" >/dev/null 2>&1
  check "eject $L:" "$(zorvane-cli eject "$L:" 2>&1; echo "status $?")" "status 0"
  check "eject $L: QEMU state" "$(host STATE "$qdev")" "tray=open locked=no medium=yes"
  check "load $L:" "$(zorvane-cli load "$L:" 2>&1; echo "status $?")" "status 0"
  check "load $L: QEMU state" "$(host STATE "$qdev")" "tray=closed locked=no medium=yes"
  # Another program holding the drive open: the drive is not Zorvane's alone.
  sleep 30 < "/dev/$dev" &
  holder=$!
  sleep 0.2
  check "lock $L: held open by another process" "$(zorvane-cli lock "$L:" 2>&1)" "Cannot lock/unlock non-CDROM!"
  kill $holder 2>/dev/null
  wait $holder 2>/dev/null
  # The peer tool on the same door: eject -i.
  eject -i on "/dev/$dev" >/dev/null 2>&1
  check "eject -i on $L: QEMU state (peer)" "$(host STATE "$qdev")" "tray=closed locked=yes medium=yes"
  eject -i off "/dev/$dev" >/dev/null 2>&1
}
opticalCase "$DVD" "$atapi" atapi0
opticalCase "$CD" "$vscsi" scsicd0

section "The virtio-scsi drive without"
# --- The virtio-scsi drive without a disc.
umount /mnt/cd 2>/dev/null
check "empty drive: QEMU state" "$(host REMOVE scsicd0)" "tray=closed locked=no medium=no"
sleep 1
zorvane-cli --json list > /tmp/list.json
flatten /tmp/list.json
i=$(rowOf product "$(inquiryField "$vscsi" 16 16)")
empty=$(get /tmp/list.json "drives.$i.letter" | tr -d ' :')
check "empty drive: survey label" "$(get /tmp/list.json "drives.$i.label")" "Not mounted"
check "empty drive: media" "$(zorvane-cli media "$empty:" 2>&1)" "$empty: Contains disk type: No Current Profile"
echo "lab: sg_get_config of the empty drive: $(sg_get_config -c /dev/$vscsi 2>&1 | head -3 | tr '\n' ' ')"

section "USB report"
# --- USB report.
zorvane-cli --json usb > /tmp/usb.json
usbLines=$(jq -r '.lines[]' /tmp/usb.json)
for d in $usb $stick; do
  size=$(($(cat /sys/block/$d/size) * 512))
  model=$(sed 's/ *$//' /sys/block/$d/device/model)
  # The report's block of this disk: from its "Disk Drive N is" line to its status line.
  block=$(printf '%s\n' "$usbLines" | awk -v d="/block/$d" '
    /Disk Drive [0-9]+ is/ { keep = "" } { keep = keep $0 "\n" }
    /Status/ { if (index(keep, d)) { print keep; exit } }')
  check "usb $d model" "$(printf '%s' "$block" | sed -n 's/^ *Model : //p')" "$model"
  check "usb $d capacity" "$(digits "$(printf '%s' "$block" | sed -n 's/^ *Drive Capacity : //p')")" "$size"
  check "usb $d interface" "$(printf '%s' "$block" | sed -n 's/^ *Interface Type : //p')" "USB"
done
check "usb count" "$(printf '%s\n' "$usbLines" | grep -c 'is a USB drive')" "2"
check "usb disks" "$(printf '%s\n' "$usbLines" | sed -n 's/.*There are \([0-9]*\) Disk Drives.*/\1/p')" \
  "$(ls -d /sys/block/sd* /sys/block/nvme* | wc -l)"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
status=$?
host RESULT $status >/dev/null
exit $status
